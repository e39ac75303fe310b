#include "protocol/frames.h"

#include "protocol/civ.h"

#include <array>

namespace {

/** Positions (from 0) of the high and low digit of one frequency byte in a digit text. */
struct DigitPair {
    qsizetype high;  ///< -1: the high digit is always "0" (the 1 GHz digit)
    qsizetype low;
};

/** The five frequency bytes b1 ... b5, each packed from two digits through Hex2Dec. */
std::optional<QByteArray> packFrequency(QStringView digits, const std::array<DigitPair, 5>& pairs)
{
    QByteArray bytes;
    for (const DigitPair& pair : pairs) {
        const QChar high = pair.high < 0 ? QChar(u'0') : digits.at(pair.high);
        const QChar pairText[2] = {high, digits.at(pair.low)};
        const std::optional<quint8> byte = Hex2Dec(QStringView(pairText, 2));
        if (!byte)
            return std::nullopt;
        bytes.append(static_cast<char>(*byte));
    }
    return bytes;
}

}  // namespace

QByteArray civFrame(quint8 to, quint8 from, quint8 command, QByteArrayView data)
{
    QByteArray frame;
    frame.reserve(6 + data.size());
    frame.append(static_cast<char>(civ::kPreamble));
    frame.append(static_cast<char>(civ::kPreamble));
    frame.append(static_cast<char>(to));
    frame.append(static_cast<char>(from));
    frame.append(static_cast<char>(command));
    frame.append(data);
    frame.append(static_cast<char>(civ::kEndOfFrame));
    return frame;
}

QByteArray commandFrame(quint8 radioAddress, quint8 command, QByteArrayView data)
{
    return civFrame(radioAddress, civ::kControllerAddress, command, data);
}

std::optional<QByteArray> setFrequencyFrame(quint8 radioAddress, QStringView nineDigits)
{
    // D0 (100 MHz) ... D8 (1 Hz); least significant pair first.
    static constexpr std::array<DigitPair, 5> kPairs = {{{7, 8}, {5, 6}, {3, 4}, {1, 2}, {-1, 0}}};
    if (nineDigits.size() != 9)
        return std::nullopt;
    const std::optional<QByteArray> data = packFrequency(nineDigits, kPairs);
    if (!data)
        return std::nullopt;
    return commandFrame(radioAddress, civ::kCmdSetFrequency, *data);
}

std::optional<QByteArray> setFrequencyFrameFromStored(quint8 radioAddress, QStringView text11)
{
    // "MMM.KKK.HHH": digits at 0-2, 4-6, 8-10, dots at 3 and 7.
    static constexpr std::array<DigitPair, 5> kPairs = {{{9, 10}, {6, 8}, {4, 5}, {1, 2}, {-1, 0}}};
    if (text11.size() != 11 || text11.at(3) != u'.' || text11.at(7) != u'.')
        return std::nullopt;
    const std::optional<QByteArray> data = packFrequency(text11, kPairs);
    if (!data)
        return std::nullopt;
    return commandFrame(radioAddress, civ::kCmdSetFrequency, *data);
}

QByteArray setModeFrame(quint8 radioAddress, quint8 modeCode)
{
    return commandFrame(radioAddress, civ::kCmdSetMode, QByteArray(1, static_cast<char>(modeCode)));
}

QByteArray selectVfoFrame(quint8 radioAddress, Vfo vfo)
{
    const char sub = vfo == Vfo::A ? 0x00 : 0x01;
    return commandFrame(radioAddress, civ::kCmdVfo, QByteArray(1, sub));
}

QByteArray scanFrame(quint8 radioAddress, bool start)
{
    return commandFrame(radioAddress, civ::kCmdScan, QByteArray(1, start ? 0x01 : 0x00));
}

QByteArray splitFrame(quint8 radioAddress, bool on)
{
    return commandFrame(radioAddress, civ::kCmdSplit, QByteArray(1, on ? 0x01 : 0x00));
}

QByteArray tuningStepFrame(quint8 radioAddress, quint8 stepCode)
{
    return commandFrame(radioAddress, civ::kCmdTuningStep,
                        QByteArray(1, static_cast<char>(stepCode)));
}
