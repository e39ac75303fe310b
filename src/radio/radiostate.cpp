#include "radio/radiostate.h"

#include "protocol/civ.h"
#include "protocol/recogniser.h"

namespace {

/** "145.400.000" -> 145400000; std::nullopt for anything but digits and points. */
std::optional<quint64> hzFromDisplayText(const QString& text)
{
    QString digits = text;
    digits.remove(u'.');
    if (digits.isEmpty())
        return std::nullopt;
    bool ok = false;
    const quint64 hz = digits.toULongLong(&ok);
    return ok ? std::optional<quint64>(hz) : std::nullopt;
}

/** The answer to a read: FE FE E0 <radio> 03|04 data FD. */
bool isReadAnswer(QStringView frameText, quint8 radioAddress, quint8 command)
{
    return textPart(frameText, 5, 2) == addressText(civ::kControllerAddress) &&
           textPart(frameText, 7, 2) == addressText(radioAddress) &&
           textPart(frameText, 9, 2) == byteText(command);
}

}  // namespace

RadioState::RadioState(QObject* parent) : QObject(parent) {}

RadioState::Claim RadioState::Claim::fromFrame(const QByteArray& frame, quint8 radioAddress)
{
    // Sets of frequency and mode, and the VFO choice, read as the recogniser reads their
    // echoes; split and scan from their sub-command.
    Claim claim;
    const QString text = frameText(frame);
    const DisplayUpdate update = RiconosciComando(text, radioAddress);
    const QStringView command = textPart(text, 9, 2);
    const QStringView sub = textPart(text, 11, 2);
    if (command == byteText(civ::kCmdSetFrequency) &&
        update.target == DisplayUpdate::Target::Frequency)
        claim.frequencyText = update.text;
    else if (update.target == DisplayUpdate::Target::Mode)
        claim.modeCode = ::modeCode(update.text);
    else if (update.text == u"VFO A" || update.text == u"VFO B")
        claim.vfo = update.text == u"VFO A" ? VfoSelected::A : VfoSelected::B;
    else if (command == byteText(civ::kCmdSplit) && (sub == u"00" || sub == u"01"))
        claim.split = sub == u"01";
    else if (command == byteText(civ::kCmdScan) && (sub == u"00" || sub == u"01"))
        claim.radioScan = sub == u"01";
    return claim;
}

unsigned RadioState::Claim::fields() const
{
    return (frequencyText ? kFrequency : 0U) | (modeCode ? kMode : 0U) | (vfo ? kVfo : 0U) |
           (split ? kSplit : 0U) | (radioScan ? kRadioScan : 0U);
}

QString RadioState::modeName() const
{
    return m_modeCode ? ::modeName(*m_modeCode) : QString();
}

void RadioState::applyFrame(QStringView frameText, quint8 radioAddress)
{
    // What the radio sends of its own accord or in answer to a read is confirmed as it
    // comes; echoes (of this program's frames or another controller's) are only shown.
    const bool fromRadio = textPart(frameText, 7, 2) == addressText(radioAddress);
    if (fromRadio)
        noteFrameFromRadio(frameText);
    if (isReadAnswer(frameText, radioAddress, civ::kCmdReadFrequency)) {
        m_confirmed.frequencyText = BCD2STRING(textPart(frameText, 11));
        setFrequencyText(m_confirmed.frequencyText);
        return;
    }
    if (isReadAnswer(frameText, radioAddress, civ::kCmdReadMode)) {
        if (const std::optional<quint8> code = Hex2Dec(textPart(frameText, 11, 2));
            code && !::modeName(*code).isEmpty()) {
            m_confirmed.modeCode = code;
            setModeCode(code);
        }
        return;
    }
    const DisplayUpdate update = RiconosciComando(frameText, radioAddress);
    switch (update.target) {
        case DisplayUpdate::Target::Frequency:
            if (fromRadio)
                m_confirmed.frequencyText = update.text;
            setFrequencyText(update.text);
            break;
        case DisplayUpdate::Target::Mode:
            if (fromRadio)
                m_confirmed.modeCode = ::modeCode(update.text);
            setModeName(update.text);
            break;
        case DisplayUpdate::Target::Status:
            reportStatus(update.text);
            break;
        case DisplayUpdate::Target::None:
            break;
    }
}

std::optional<quint64> RadioState::vfoFrequencyHz(VfoSelected vfo) const
{
    return vfo == VfoSelected::Unknown ? std::nullopt : m_vfoFrequencyHz[vfo == VfoSelected::B];
}

std::optional<quint8> RadioState::vfoModeCode(VfoSelected vfo) const
{
    return vfo == VfoSelected::Unknown ? std::nullopt : m_vfoModeCode[vfo == VfoSelected::B];
}

void RadioState::noteFrameFromRadio(QStringView frameText)
{
    m_noAnswers = 0;
    if (!m_answering) {
        m_answering = true;
        emit answeringChanged(true);
    }
    if (!m_heardAnnouncement && textPart(frameText, 5, 2) == addressText(civ::kBroadcastAddress)) {
        m_heardAnnouncement = true;
        emit announcementHeard();
    }
}

void RadioState::noteNoAnswer()
{
    if (++m_noAnswers >= kNoAnswerRun && m_answering) {
        m_answering = false;
        emit answeringChanged(false);
    }
}

void RadioState::setAnswering(bool answering)
{
    m_noAnswers = 0;
    if (answering == m_answering)
        return;
    m_answering = answering;
    emit answeringChanged(answering);
}

void RadioState::confirm(const Claim& claim, unsigned keepShown)
{
    if (claim.frequencyText)
        m_confirmed.frequencyText = *claim.frequencyText;
    if (claim.modeCode)
        m_confirmed.modeCode = claim.modeCode;
    if (claim.vfo)
        m_confirmed.vfo = *claim.vfo;
    if (claim.split)
        m_confirmed.split = *claim.split;
    if (claim.radioScan)
        m_confirmed.radioScan = *claim.radioScan;
    rollBack(keepShown | ~claim.fields());
}

void RadioState::rollBack(unsigned keepShown)
{
    if ((keepShown & kFrequency) == 0)
        setFrequencyText(m_confirmed.frequencyText);
    if ((keepShown & kMode) == 0)
        setModeCode(m_confirmed.modeCode);
    if ((keepShown & kVfo) == 0)
        setVfo(m_confirmed.vfo);
    if ((keepShown & kSplit) == 0)
        noteSplitWritten(m_confirmed.split);
    if ((keepShown & kRadioScan) == 0)
        noteRadioScanWritten(m_confirmed.radioScan);
}

void RadioState::setFrequencyText(const QString& text)
{
    const std::optional<quint64> hz = hzFromDisplayText(text);
    if (m_vfo != VfoSelected::Unknown && hz)
        m_vfoFrequencyHz[m_vfo == VfoSelected::B] = hz;
    if (text == m_frequencyText)
        return;
    m_frequencyText = text;
    m_frequencyHz = hz;
    emit frequencyChanged();
}

void RadioState::setModeName(const QString& name)
{
    const std::optional<quint8> code = ::modeCode(name);
    if (code && m_vfo != VfoSelected::Unknown)
        m_vfoModeCode[m_vfo == VfoSelected::B] = code;
    if (code)
        setModeCode(code);
}

void RadioState::setModeCode(std::optional<quint8> code)
{
    if (code == m_modeCode)
        return;
    m_modeCode = code;
    emit modeChanged();
}

void RadioState::setVfo(VfoSelected vfo)
{
    if (vfo == m_vfo)
        return;
    m_vfo = vfo;
    emit vfoChanged(m_vfo);
}

void RadioState::reportStatus(const QString& text)
{
    m_lastStatus = text;
    std::optional<VfoSelected> vfo;
    std::optional<Answer> answer;
    if (text == u"VFO A")
        vfo = VfoSelected::A;
    else if (text == u"VFO B")
        vfo = VfoSelected::B;
    else if (text == u"OK")
        answer = Answer::Ok;
    else if (text == u"ERROR")
        answer = Answer::Error;
    if (vfo)
        setVfo(*vfo);
    if (answer && *answer != m_lastAnswer) {
        m_lastAnswer = *answer;
        emit lastAnswerChanged(m_lastAnswer);
    }
    emit statusReported(text);
}

void RadioState::noteSplitWritten(bool on)
{
    if (on == m_split)
        return;
    m_split = on;
    emit splitChanged(on);
}

void RadioState::noteRadioScanWritten(bool on)
{
    if (on == m_radioScan)
        return;
    m_radioScan = on;
    emit radioScanChanged(on);
}

void RadioState::setOpen(int portNumber, const QString& device)
{
    // A port opened anew may lead to another radio, or the same one set otherwise: whether
    // it answers and announces is learnt again.
    m_noAnswers = 0;
    m_heardAnnouncement = false;
    if (!m_answering) {
        m_answering = true;
        emit answeringChanged(true);
    }
    setConnection(Connection::Open, portNumber, device, AppError{});
}

void RadioState::setClosed()
{
    setConnection(Connection::Closed, m_portNumber, m_device, AppError{});
}

void RadioState::setLost(const AppError& why)
{
    setConnection(Connection::Lost, m_portNumber, m_device, why);
}

void RadioState::setOpenFailed(int portNumber, const QString& device, const AppError& why)
{
    setConnection(Connection::Closed, portNumber, device, why);
}

void RadioState::setConnection(Connection connection, int portNumber, const QString& device,
                               const AppError& why)
{
    if (connection == m_connection && portNumber == m_portNumber && device == m_device &&
        why.number == m_connectionError.number && why.text == m_connectionError.text)
        return;
    m_connection = connection;
    m_portNumber = portNumber;
    m_device = device;
    m_connectionError = why;
    emit connectionChanged();
}
