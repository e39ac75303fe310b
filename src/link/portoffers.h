#pragma once

#include <QList>
#include <QString>

/** Where udev names USB serial adapters by their maker, model and serial number: names
 *  that stay the same across reboots and replugging, unlike /dev/ttyUSBn. */
inline constexpr char kSerialByIdFolder[] = "/dev/serial/by-id";

/** One serial port offered to the operator. */
struct PortOffer {
    QString device;       ///< the path to write into the settings file
    QString target;       ///< the device a link points to; equal to device otherwise
    QString description;  ///< what the system says about the port ("FT232R USB UART")
    QString usbIds;       ///< "0403:6001" (vendor:product) for a USB adapter, else empty
};

/**
 * The serial ports of this system, for the operator to choose the radio's: first the links
 * in byIdFolder (normally kSerialByIdFolder) in name order, each with the description and
 * USB ids of the port it points to; then every other port QSerialPortInfo lists, in name
 * order. A port reached through a link is not listed a second time.
 */
QList<PortOffer> availablePorts(const QString& byIdFolder);

/** "usb-FTDI_FT232R-if00-port0  (FT232R USB UART, USB 0403:6001) -> /dev/ttyUSB0". */
QString portOfferText(const PortOffer& offer);
