#pragma once

#include "link/portoffers.h"

#include <QList>
#include <QString>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

/**
 * The radio's line as the operator chooses it, in the first-start dialog and in "Radio
 * settings…": the system's serial ports (PortList; picking one fills PortPath, where a path
 * can also be typed), the radio model (a native RadioProfile) filling in the CI-V address
 * (RadioAddress), and the baud rate (BaudRate).
 */
class RadioLineFields : public QWidget {
    Q_OBJECT
public:
    RadioLineFields(const QList<PortOffer>& ports, QWidget* parent = nullptr);

    /** The device path as typed or picked, blanks removed. */
    QString device() const;
    /** Picks the listed port of that path, else types the path. */
    void setDevice(const QString& device);
    quint8 address() const;
    /** Sets the address, and the model when one has it. */
    void setAddress(quint8 address);
    int baudRate() const;
    /** Chooses that rate; one the radios' menus do not offer is added to the list. */
    void setBaudRate(int baud);

signals:
    /** The operator changed the device, the address or the rate. */
    void edited();

private:
    void addPortRows(const QList<PortOffer>& ports);
    void addRadioRows();

    QListWidget* m_portList = nullptr;
    QLineEdit* m_portPath = nullptr;
    QComboBox* m_model = nullptr;
    QSpinBox* m_address = nullptr;
    QComboBox* m_baud = nullptr;
};
