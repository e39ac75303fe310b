#pragma once

#include <QString>
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

/**
 * What the program knows of one radio model: the one home of its name, the frequencies it
 * receives, its modes, its CI-V address as it leaves the factory and whether it announces
 * changes made on its front panel. Everything that checks a frequency or names a mode asks
 * the profile in use (radioprofile::current()).
 */
struct RadioProfile {
    const char16_t* name;
    std::span<const FrequencyRange> ranges;  ///< receive ranges, ascending, not overlapping
    std::span<const RadioMode> modes;        ///< in code order
    quint8 defaultAddress;
    bool announcesChanges;
    int hamlibModel;  ///< the model's number in Hamlib's list, told to network clients

    constexpr bool receives(quint64 hz) const
    {
        for (const FrequencyRange& range : ranges) {
            if (range.contains(hz))
                return true;
        }
        return false;
    }
    constexpr quint64 lowestHz() const { return ranges.front().lowestHz; }
    constexpr quint64 highestHz() const { return ranges.back().highestHz; }
    QString displayName() const { return QString::fromUtf16(name); }
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
/** HF, 6 m and 2 m: 30 kHz to 199.999999 MHz. */
inline constexpr std::array<FrequencyRange, 1> kHfToVhf = {{{30'000, 199'999'999}}};
/** The same and 70 cm: the MKIIG also receives 400 to 470 MHz (it transmits 430 to 450). */
inline constexpr std::array<FrequencyRange, 2> kHfToUhf = {
    {{30'000, 199'999'999}, {400'000'000, 470'000'000}}};
}  // namespace radioprofile_detail

inline constexpr RadioProfile kIc706Profile{
    u"IC-706", radioprofile_detail::kHfToVhf, radioprofile_detail::kModes, 0x48, true, 3009};
inline constexpr RadioProfile kIc706Mk2Profile{
    u"IC-706MKII", radioprofile_detail::kHfToVhf, radioprofile_detail::kModes, 0x4E, true, 3010};
inline constexpr RadioProfile kIc706Mk2gProfile{
    u"IC-706MKIIG", radioprofile_detail::kHfToUhf, radioprofile_detail::kModes, 0x58, true, 3011};

/** The models the program speaks to natively, original IC-706 first. */
inline constexpr std::array<const RadioProfile*, 3> kNativeProfiles = {
    &kIc706Profile, &kIc706Mk2Profile, &kIc706Mk2gProfile};

/** The profile whose limits hold when nothing else is known: the IC-706MKII's. Frequency
 *  and mode names never depend on which profile is in use; the modes are the same. */
inline constexpr const RadioProfile& kRadioProfile = kIc706Mk2Profile;

namespace radioprofile {

/** The native model at a CI-V address: the one leaving the factory with that address; the
 *  IC-706MKII's limits for any other address. */
const RadioProfile& nativeAt(quint8 address);

/** The profile of the radio the program drives (kRadioProfile until set). Safe to read from
 *  any thread: an import checks its rows against it on a thread of its own. */
const RadioProfile& current();
/** Makes profile the one in use; it must live as long as the program (the native ones do). */
void setCurrent(const RadioProfile& profile);

}  // namespace radioprofile
