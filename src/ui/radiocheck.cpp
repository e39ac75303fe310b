#include "ui/radiocheck.h"

#include "link/seriallink.h"
#include "radio/radiocommands.h"

#include <QStringList>

QString addressCaption(quint8 address)
{
    return QStringLiteral("%1 (0x%2)")
        .arg(address)
        .arg(QString::number(address, 16).toUpper().rightJustified(2, u'0'));
}

RadioCheck::RadioCheck(QObject* parent) : QObject(parent), m_link(new SerialLink(this)) {}

RadioCheck::~RadioCheck() = default;

bool RadioCheck::start(const QString& device, int baudRate, quint8 address, AppError* error)
{
    cancel();
    m_link->setBaudRate(baudRate);
    if (!m_link->open(device, error))
        return false;
    m_outcome = Outcome{device, baudRate, address, std::nullopt, {}, AppError{}};
    m_toAsk = {address};
    for (const RadioProfile* model : kNativeProfiles) {
        if (model->defaultAddress != address)
            m_toAsk.append(model->defaultAddress);
    }
    // Fresh commands for every check: no read of an earlier check is still waiting there
    // to take this one's answer.
    if (m_commands) {
        disconnect(m_link, nullptr, m_commands, nullptr);
        m_commands->deleteLater();  // its completion may be what called this
    }
    m_commands = new RadioCommands(m_link, nullptr, this);
    m_running = true;
    ++m_run;
    askNext();
    return true;
}

void RadioCheck::cancel()
{
    if (!m_running)
        return;
    m_running = false;
    ++m_run;
    m_link->close();
}

void RadioCheck::askNext()
{
    if (m_toAsk.isEmpty()) {
        finish();
        return;
    }
    const quint8 address = m_toAsk.takeFirst();
    m_outcome.tried.append(address);
    m_commands->setRadioAddress(address);
    const quint64 run = m_run;
    const RadioCommands::Result failed =
        m_commands->readFrequency([this, run, address](RadioCommands::Answer answer) {
            if (run != m_run)
                return;
            switch (answer) {
                case RadioCommands::Answer::Ok:
                case RadioCommands::Answer::Rejected:
                    m_outcome.answered = address;
                    finish();
                    return;
                case RadioCommands::Answer::Timeout:
                    askNext();
                    return;
                case RadioCommands::Answer::WriteFailed:
                    m_outcome.error = AppError::fromNumber(errors::kPortWriteFailed);
                    finish();
                    return;
            }
        });
    if (failed) {
        m_outcome.error = *failed;
        finish();
    }
}

void RadioCheck::finish()
{
    m_running = false;
    ++m_run;
    m_link->close();
    emit finished(m_outcome);
}

QString RadioCheck::describe(const Outcome& outcome)
{
    const QString line = QStringLiteral("%1 at %2 baud").arg(outcome.device).arg(outcome.baudRate);
    if (outcome.error.number != 0)
        return QStringLiteral("The check could not ask the radio on %1: %2")
            .arg(line, outcome.error.text);
    if (outcome.answered == outcome.asked)
        return QStringLiteral("A radio answered at address %1 on %2.")
            .arg(addressCaption(outcome.asked), line);
    if (outcome.answered)
        return QStringLiteral(
                   "No radio answered at address %1 on %2, but one answered at "
                   "address %3.")
            .arg(addressCaption(outcome.asked), line, addressCaption(*outcome.answered));
    QStringList others;
    for (const quint8 address : outcome.tried.mid(1))
        others.append(addressCaption(address));
    return QStringLiteral(
               "No radio answered on %1, at address %2 nor at %3. Check that the "
               "radio is on, its CI-V address and baud rate (in its menu), and the "
               "cable.")
        .arg(line, addressCaption(outcome.asked), others.join(QStringLiteral(" or ")));
}
