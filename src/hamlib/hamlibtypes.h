#pragma once

#include "profile/radioprofile.h"
#include "radio/radiostate.h"

#include <QList>
#include <QString>

#include <optional>

/** The highest frequency a memory can hold: three MHz digits, 999.999999 MHz. A Hamlib
 *  radio's receive ranges are clipped to it. */
inline constexpr quint64 kHighestStorableHz = 999'999'999;

/** Hamlib's model number of a radio on another computer: its rigctld, over TCP. */
inline constexpr int kHamlibRemoteModel = 2;

/** Which radio to open and where: a Hamlib model on a serial device at a baud rate, or
 *  model kHamlibRemoteModel with "host:port" of a rigctld as the device (baud unused). */
struct HamlibTarget {
    int model = 0;
    QString device;
    qint32 baud = 9600;

    bool remote() const { return model == kHamlibRemoteModel; }
};

/** What an opened radio can do, from Hamlib's capabilities (for a remote radio, from what
 *  its rigctld reported). */
struct HamlibCapabilities {
    int model = 0;
    QString manufacturer;
    QString modelName;
    bool split = false;          ///< split can be switched
    bool vfoB = false;           ///< a second VFO that can be selected
    bool targetableVfo = false;  ///< a VFO's frequency can be set without selecting it
    bool radioScan = false;      ///< the radio scans its VFO on its own (started and stopped)
    bool tuningStep = false;     ///< the tuning step can be set
    bool readsVfo = false;       ///< the selected VFO can be read (polled)
    bool readsSplit = false;     ///< split can be read (polled)
    QList<quint8> modeCodes;     ///< the radio's modes this program knows (0 LSB .. 6 WFM)
    /** Receive ranges, merged, in order, clipped to kHighestStorableHz. */
    QList<FrequencyRange> receiveRanges;
};

/** What one poll (or one read) heard from the radio; a field is empty when it was not read
 *  or the radio could not tell (a mode this program does not know). */
struct HamlibReading {
    std::optional<quint64> frequencyHz;
    std::optional<quint8> modeCode;
    std::optional<RadioState::VfoSelected> vfo;
    std::optional<bool> split;
};

/** One entry of Hamlib's list of radios. */
struct HamlibModel {
    int number = 0;
    QString manufacturer;
    QString name;
    QString status;  ///< Hamlib's word on the backend: "Stable", "Beta", "Alpha", ...
};
