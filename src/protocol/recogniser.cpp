#include "protocol/recogniser.h"

#include "protocol/civ.h"

#include <array>

namespace {

using Target = DisplayUpdate::Target;

/** One row of the recognition table: characters 9-12 of the frame text (command code
 *  and the byte after it) and what they put on the display. */
struct KnownFrame {
    const char16_t* key;
    Target target;
    const char16_t* text;
};

/** Mode announcements (01) and set-mode echoes (06), then the VFO commands (07). Only
 *  the byte after the command is read: a filter byte behind it does not matter. */
constexpr std::array<KnownFrame, 18> kKnownFrames = {{
    {u"0100", Target::Mode, u"LSB"},
    {u"0600", Target::Mode, u"LSB"},
    {u"0101", Target::Mode, u"USB"},
    {u"0601", Target::Mode, u"USB"},
    {u"0102", Target::Mode, u"AM"},
    {u"0602", Target::Mode, u"AM"},
    {u"0103", Target::Mode, u"CW"},
    {u"0603", Target::Mode, u"CW"},
    {u"0104", Target::Mode, u"RTTY"},
    {u"0604", Target::Mode, u"RTTY"},
    {u"0105", Target::Mode, u"FM"},
    {u"0605", Target::Mode, u"FM"},
    {u"0106", Target::Mode, u"WFM"},
    {u"0606", Target::Mode, u"WFM"},
    {u"0700", Target::Status, u"VFO A"},
    {u"0701", Target::Status, u"VFO B"},
    {u"07A0", Target::Status, u"A = B"},
    {u"07B0", Target::Status, u"A/B"},
}};

/** The radio is either end of the frame: it sent it (to us, to the broadcast address or
 *  to another controller), or it was sent to it (our own echo, or another controller's). */
bool concernsRadio(QStringView comando, quint8 radioAddress)
{
    const QString address = addressText(radioAddress);
    return textPart(comando, 5, 2) == address || textPart(comando, 7, 2) == address;
}

}  // namespace

DisplayUpdate RiconosciComando(QStringView comando, quint8 radioAddress)
{
    if (!concernsRadio(comando, radioAddress))
        return {};

    const QStringView command = textPart(comando, 9, 2);
    if (command == u"05" || command == u"00")
        return {Target::Frequency, BCD2STRING(textPart(comando, 11))};

    const QStringView key = textPart(comando, 9, 4);
    for (const KnownFrame& known : kKnownFrames) {
        if (key == QStringView(known.key))
            return {known.target, QString::fromUtf16(known.text)};
    }

    const QStringView ending = comando.size() >= 4 ? comando.last(4) : QStringView();
    if (ending == u"FBFD")
        return {Target::Status, QStringLiteral("OK")};
    if (ending == u"FAFD")
        return {Target::Status, QStringLiteral("ERROR")};
    return {};
}
