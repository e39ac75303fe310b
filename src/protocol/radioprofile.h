#pragma once

#include <QtGlobal>

#include <array>
#include <span>

/** One mode of the radio: its CI-V mode code, the name shown and stored for it, and the
 *  passband of the radio's normal filter for it. */
struct RadioMode {
    quint8 code;
    const char16_t* name;
    int normalPassbandHz;
};

/** A frequency range in Hz, both ends included. */
struct FrequencyRange {
    quint64 lowestHz;
    quint64 highestHz;

    constexpr bool contains(quint64 hz) const { return hz >= lowestHz && hz <= highestHz; }
};

/** What the program knows of the radio it drives: the one home of its frequency range and
 *  of its modes. Everything that checks a frequency or names a mode asks here. */
struct RadioProfile {
    FrequencyRange range;
    std::span<const RadioMode> modes;  ///< in code order
};

namespace radioprofile_detail {
inline constexpr std::array<RadioMode, 7> kModes = {{
    {0x00, u"LSB", 2400},
    {0x01, u"USB", 2400},
    {0x02, u"AM", 8000},
    {0x03, u"CW", 2400},
    {0x04, u"RTTY", 2400},
    {0x05, u"FM", 15000},
    {0x06, u"WFM", 230000},
}};
}  // namespace radioprofile_detail

/** The radio this program drives: 30 kHz to 199.999999 MHz, LSB .. WFM. */
inline constexpr RadioProfile kRadioProfile{{30'000, 199'999'999}, radioprofile_detail::kModes};
