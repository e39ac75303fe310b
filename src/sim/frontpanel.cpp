#include "sim/frontpanel.h"

#include "protocol/civ.h"
#include "sim/simcodec.h"
#include "sim/virtualradio.h"

namespace {

/** The most garbage one command sends: enough to overrun any frame buffer many times. */
constexpr int kMaxGarbage = 1'000'000;

FrontPanel::Result done(const QString& message)
{
    return {true, false, message};
}

FrontPanel::Result refused(const QString& message)
{
    return {false, false, message};
}

/** The answer to a line trick: "WHAT sent", or refused with "WHAT not sent: why". */
FrontPanel::Result sendResult(const VirtualRadio* radio, const QString& what)
{
    const QString problem = radio->lastSendProblem();
    if (problem.isEmpty()) {
        return done(what + QStringLiteral(" sent"));
    }
    return refused(what + QStringLiteral(" not sent: ") + problem);
}

/** The answer to a change of the radio's state, which holds whether announced or not. */
FrontPanel::Result changed(const VirtualRadio* radio, const QString& what)
{
    const QString problem = radio->lastSendProblem();
    if (problem.isEmpty()) {
        return done(what);
    }
    return done(what + QStringLiteral("; not announced: ") + problem);
}

}  // namespace

FrontPanel::Result FrontPanel::execute(const QString& line)
{
    const QString trimmed = line.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    const QString word = trimmed.left(blank < 0 ? trimmed.size() : blank).toLower();
    const QString argument = blank < 0 ? QString() : trimmed.mid(blank + 1).trimmed();
    if (word == QLatin1String("freq")) {
        return frequency(argument);
    }
    if (word == QLatin1String("mode")) {
        return mode(argument);
    }
    if (word == QLatin1String("vfo")) {
        return vfo(argument);
    }
    if (word == QLatin1String("raw")) {
        return raw(argument);
    }
    if (word == QLatin1String("garbage")) {
        return garbage(argument);
    }
    if (word == QLatin1String("silent")) {
        return silent(argument);
    }
    if (word == QLatin1String("transceive")) {
        return transceive(argument);
    }
    if (!argument.isEmpty()) {
        return refused(QStringLiteral("%1 takes no argument").arg(word));
    }
    if (word == QLatin1String("double")) {
        m_radio->sendTwoFramesInOneWrite();
        return sendResult(m_radio, QStringLiteral("two frames in one write"));
    }
    if (word == QLatin1String("cut")) {
        m_radio->sendCutFrame();
        return sendResult(m_radio, QStringLiteral("half a frame"));
    }
    if (word == QLatin1String("state")) {
        return done(stateText());
    }
    if (word == QLatin1String("quit")) {
        return {true, true, QStringLiteral("quitting")};
    }
    return refused(QStringLiteral("unknown command: %1").arg(trimmed));
}

QString FrontPanel::stateText() const
{
    const auto vfoText = [this](VirtualRadio::VfoId vfo) {
        return QStringLiteral("%1/%2/%3")
            .arg(m_radio->frequency(vfo))
            .arg(m_radio->mode(vfo))
            .arg(m_radio->filter(vfo));
    };
    const bool onA = m_radio->currentVfo() == VirtualRadio::VfoId::A;
    return QStringLiteral("vfo=%1 a=%2 b=%3 split=%4 scan=%5 step=%6 silent=%7 transceive=%8")
        .arg(onA ? QLatin1Char('A') : QLatin1Char('B'))
        .arg(vfoText(VirtualRadio::VfoId::A), vfoText(VirtualRadio::VfoId::B))
        .arg(int(m_radio->split()))
        .arg(int(m_radio->scanning()))
        .arg(m_radio->tuningStep())
        .arg(int(m_radio->silent()))
        .arg(int(m_radio->transceive()));
}

FrontPanel::Result FrontPanel::frequency(const QString& argument)
{
    bool ok = false;
    const quint64 hz = argument.toULongLong(&ok, 10);
    if (!ok || argument.startsWith(QLatin1Char('+')) || hz > simcodec::kMaxBcdFrequency) {
        return refused(QStringLiteral("freq needs a frequency in hertz, 0 to %1")
                           .arg(simcodec::kMaxBcdFrequency));
    }
    m_radio->setFrequency(hz);
    return changed(m_radio, QStringLiteral("frequency %1").arg(hz));
}

FrontPanel::Result FrontPanel::mode(const QString& argument)
{
    std::optional<quint64> code;
    if (const std::optional<quint8> named = modeCode(argument.toUpper())) {
        code = *named;
    } else {
        code = simcodec::parseNumber(argument);
    }
    if (!code || *code > 0xFF) {
        return refused(
            QStringLiteral("mode needs LSB, USB, AM, CW, RTTY, FM, WFM or a code 0-255"));
    }
    m_radio->setMode(quint8(*code));
    return changed(m_radio, QStringLiteral("mode %1").arg(*code));
}

FrontPanel::Result FrontPanel::vfo(const QString& argument)
{
    const QString which = argument.toLower();
    if (which != QLatin1String("a") && which != QLatin1String("b")) {
        return refused(QStringLiteral("vfo needs a or b"));
    }
    m_radio->selectVfo(which == QLatin1String("a") ? VirtualRadio::VfoId::A
                                                   : VirtualRadio::VfoId::B);
    return changed(m_radio, QStringLiteral("VFO %1").arg(which.toUpper()));
}

FrontPanel::Result FrontPanel::raw(const QString& argument)
{
    const std::optional<QByteArray> bytes = simcodec::bytesFromHexText(argument);
    if (!bytes) {
        return refused(
            QStringLiteral("raw needs hexadecimal bytes, e.g. raw FE FE 00 48 01 03 FD"));
    }
    m_radio->sendRaw(*bytes);
    return sendResult(m_radio, QStringLiteral("%1 bytes").arg(bytes->size()));
}

FrontPanel::Result FrontPanel::garbage(const QString& argument)
{
    bool ok = false;
    const int count = argument.toInt(&ok, 10);
    if (!ok || count < 1 || count > kMaxGarbage) {
        return refused(QStringLiteral("garbage needs a byte count, 1 to %1").arg(kMaxGarbage));
    }
    m_radio->sendGarbage(count);
    return sendResult(m_radio, QStringLiteral("%1 garbage bytes").arg(count));
}

FrontPanel::Result FrontPanel::silent(const QString& argument)
{
    const QString state = argument.toLower();
    if (state != QLatin1String("on") && state != QLatin1String("off")) {
        return refused(QStringLiteral("silent needs on or off"));
    }
    m_radio->setSilent(state == QLatin1String("on"));
    return done(QStringLiteral("silent %1").arg(state));
}

FrontPanel::Result FrontPanel::transceive(const QString& argument)
{
    const QString state = argument.toLower();
    if (state != QLatin1String("on") && state != QLatin1String("off")) {
        return refused(QStringLiteral("transceive needs on or off"));
    }
    m_radio->setTransceive(state == QLatin1String("on"));
    return done(QStringLiteral("transceive %1").arg(state));
}
