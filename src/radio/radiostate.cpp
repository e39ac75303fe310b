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

QString RadioState::modeName() const
{
    return m_modeCode ? ::modeName(*m_modeCode) : QString();
}

void RadioState::applyFrame(QStringView frameText, quint8 radioAddress)
{
    if (isReadAnswer(frameText, radioAddress, civ::kCmdReadFrequency)) {
        setFrequencyText(BCD2STRING(textPart(frameText, 11)));
        return;
    }
    if (isReadAnswer(frameText, radioAddress, civ::kCmdReadMode)) {
        if (const std::optional<quint8> code = Hex2Dec(textPart(frameText, 11, 2)))
            setModeName(::modeName(*code));
        return;
    }
    const DisplayUpdate update = RiconosciComando(frameText, radioAddress);
    switch (update.target) {
        case DisplayUpdate::Target::Frequency:
            setFrequencyText(update.text);
            break;
        case DisplayUpdate::Target::Mode:
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
    if (!code || code == m_modeCode)
        return;
    m_modeCode = code;
    emit modeChanged();
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
    if (vfo && *vfo != m_vfo) {
        m_vfo = *vfo;
        emit vfoChanged(m_vfo);
    }
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
