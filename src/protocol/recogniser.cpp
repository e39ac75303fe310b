#include "protocol/recogniser.h"

#include "profile/radioprofile.h"
#include "protocol/civ.h"

#include <array>
#include <optional>

namespace {

using Target = DisplayUpdate::Target;

/** One row of the recognition table: characters 9-12 of the frame text (command code
 *  and the byte after it) and what they put on the display. */
struct KnownFrame {
    const char16_t* key;
    Target target;
    const char16_t* text;
};

/** The VFO commands (07) and what they put on the display. Only the byte after the command
 *  is read. */
constexpr std::array<KnownFrame, 4> kVfoFrames = {{
    {u"0700", Target::Status, u"VFO A"},
    {u"0701", Target::Status, u"VFO B"},
    {u"07A0", Target::Status, u"A = B"},
    {u"07B0", Target::Status, u"A/B"},
}};

/** Two upper-case hex digits as the byte they write; std::nullopt for anything else. */
std::optional<int> byteOfText(QStringView text)
{
    if (text.size() != 2)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const int digit = u >= u'0' && u <= u'9'   ? u - u'0'
                          : u >= u'A' && u <= u'F' ? u - u'A' + 10
                                                   : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

/** A mode announcement (01) or set-mode echo (06): the mode of the byte after the command,
 *  when it is one of the radio's modes. A filter byte behind it does not matter. */
std::optional<DisplayUpdate> modeFrame(QStringView command, QStringView modeByte)
{
    if (command != u"01" && command != u"06")
        return std::nullopt;
    const std::optional<int> code = byteOfText(modeByte);
    for (const RadioMode& mode : kRadioProfile.modes) {
        if (code == mode.code)
            return DisplayUpdate{Target::Mode, QString::fromUtf16(mode.name)};
    }
    return std::nullopt;
}

/** The radio is either end of the frame: it sent it (to us, to the broadcast address or
 *  to another controller), or it was sent to it (our own echo, or another controller's). */
bool concernsRadio(QStringView comando, quint8 radioAddress)
{
    return byteOfText(textPart(comando, 5, 2)) == radioAddress ||
           byteOfText(textPart(comando, 7, 2)) == radioAddress;
}

}  // namespace

DisplayUpdate RiconosciComando(QStringView comando, quint8 radioAddress)
{
    if (!concernsRadio(comando, radioAddress))
        return {};

    const QStringView command = textPart(comando, 9, 2);
    if (command == u"05" || command == u"00")
        return {Target::Frequency, BCD2STRING(textPart(comando, 11))};

    if (std::optional<DisplayUpdate> mode = modeFrame(command, textPart(comando, 11, 2)))
        return *mode;
    const QStringView key = textPart(comando, 9, 4);
    for (const KnownFrame& known : kVfoFrames) {
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
