#include "net/radiodescription.h"

#include "net/rigctlprotocol.h"
#include "profile/radioprofile.h"

#include <QtGlobal>

namespace rigctl {

namespace {

// Hamlib's mode and VFO bits.
constexpr quint64 kAm = 0x1, kCw = 0x2, kUsb = 0x4, kLsb = 0x8, kRtty = 0x10, kFm = 0x20,
                  kWfm = 0x40;
constexpr quint64 kAllModes = kAm | kCw | kUsb | kLsb | kRtty | kFm | kWfm;
constexpr quint64 kSideband = kCw | kUsb | kLsb | kRtty;
constexpr unsigned kVfos = 0x3;

/** An amateur band the radio transmits on, Hz, and its highest power, mW (AM: 40 %). */
struct TxBand {
    quint64 start;
    quint64 end;
    int highPowerMw;
};
constexpr TxBand kTxBands[] = {
    {1'800'000, 1'999'999, 100'000},    {3'500'000, 3'999'999, 100'000},
    {7'000'000, 7'300'000, 100'000},    {10'100'000, 10'150'000, 100'000},
    {14'000'000, 14'350'000, 100'000},  {18'068'000, 18'168'000, 100'000},
    {21'000'000, 21'450'000, 100'000},  {24'890'000, 24'990'000, 100'000},
    {28'000'000, 29'700'000, 100'000},  {50'000'000, 54'000'000, 100'000},
    {144'000'000, 148'000'000, 20'000},
};

struct Step {
    quint64 modes;
    int hz;
};
constexpr Step kSteps[] = {{kSideband, 1},     {kAllModes, 10},     {kAllModes, 100},
                           {kAllModes, 1000},  {kAllModes, 5000},   {kAllModes, 9000},
                           {kAllModes, 10000}, {kAllModes, 12500},  {kAllModes, 20000},
                           {kAllModes, 25000}, {kAllModes, 100000}, {kAm | kFm | kWfm, 1000000}};
constexpr Step kFilters[] = {{kSideband, 2400}, {kAm, 8000}, {kAm, 2400},
                             {kFm, 15000},      {kFm, 8000}, {kWfm, 230000}};

QByteArray hex(quint64 value)
{
    return "0x" + QByteArray::number(value, 16);
}

QByteArray range(quint64 start, quint64 end, quint64 modes, int lowMw, int highMw)
{
    return QByteArray::number(start) + ".000000 " + QByteArray::number(end) + ".000000 " +
           hex(modes) + ' ' + QByteArray::number(lowMw) + ' ' + QByteArray::number(highMw) + ' ' +
           hex(kVfos) + " 0x0\n";
}

/** 30 kHz, 199.999999 MHz, 400 MHz. */
QByteArray readable(quint64 hz)
{
    if (hz < 1'000'000 && hz % 1000 == 0)
        return QByteArray::number(hz / 1000) + " kHz";
    if (hz % 1'000'000 == 0)
        return QByteArray::number(hz / 1'000'000) + " MHz";
    return QByteArray::number(double(hz) / 1e6, 'f', 6) + " MHz";
}

QByteArray rangesAndLists()
{
    QByteArray text;
    for (const FrequencyRange& received : radioprofile::current().ranges)
        text += range(received.lowestHz, received.highestHz, kAllModes, -1, -1);
    text += "0 0 0 0 0 0 0\n";
    for (const TxBand& band : kTxBands) {
        text += range(band.start, band.end, kSideband | kFm, 5000, band.highPowerMw);
        text += range(band.start, band.end, kAm, 2000, band.highPowerMw * 2 / 5);
    }
    text += "0 0 0 0 0 0 0\n";
    for (const Step& step : kSteps)
        text += hex(step.modes) + ' ' + QByteArray::number(step.hz) + '\n';
    text += "0 0\n";
    for (const Step& filter : kFilters)
        text += hex(filter.modes) + ' ' + QByteArray::number(filter.hz) + '\n';
    text += "0 0\n";
    return text;
}

}  // namespace

QByteArray dumpStateText()
{
    QByteArray text = "1\n" + QByteArray::number(radioprofile::current().hamlibModel) + "\n0\n";
    text += rangesAndLists();
    text += "0\n0\n0\n0\n";                    // RIT, XIT, IF shift: none; no announces
    text += "10\n20\n";                        // preamp 10 dB, attenuator 20 dB
    text += "0x0\n0x0\n0x0\n0x0\n0x0\n0x0\n";  // no functions, levels or parameters
    text += "vfo_ops=0x0\nptt_type=0x0\ntargetable_vfo=0x0\n";
    text += "has_set_vfo=1\nhas_get_vfo=1\nhas_set_freq=1\nhas_get_freq=1\n";
    text += "has_set_conf=0\nhas_get_conf=0\nhas_power2mW=0\nhas_mW2power=0\n";
    text += "timeout=" + QByteArray::number(kClientTimeoutMs) + '\n';
    text += "rig_model=" + QByteArray::number(radioprofile::current().hamlibModel) + '\n';
    text += "rigctld_version=Corvane " CORVANE_VERSION_TEXT "\n";
    text += "done\n";
    return text;
}

QByteArray dumpCapsText()
{
    QByteArray text =
        "Caps dump for model: " + QByteArray::number(radioprofile::current().hamlibModel) + '\n';
    text +=
        "Model name:\t" + radioprofile::current().displayName().toLatin1() + " (through Corvane)\n";
    text += "Mfg name:\tIcom\n";
    text += "Rig type:\tMobile\nPTT type:\tNone\nPort type:\tNetwork link\n";
    text += "Has targetable VFO: N\n";
    text += "Mode list: LSB USB AM CW RTTY FM WFM\n";
    text += "VFO list: VFOA VFOB\n";
    for (const FrequencyRange& received : radioprofile::current().ranges)
        text += "Receive range: " + readable(received.lowestHz) + " - " +
                readable(received.highestHz) + '\n';
    text += "Can set Frequency:\tY\nCan get Frequency:\tY\n";
    text += "Can set Mode:\tY\nCan get Mode:\tY\n";
    text += "Can set VFO:\tY\nCan get VFO:\tY\n";
    text += "Can set Split VFO:\tY\nCan get Split VFO:\tY\n";
    text += "Can set Split Freq:\tY\nCan get Split Freq:\tY\n";
    text += "Can set Split Mode:\tY\nCan get Split Mode:\tY\n";
    text += "Can set PTT:\tN\nCan get PTT:\tY\n";
    return text;
}

}  // namespace rigctl
