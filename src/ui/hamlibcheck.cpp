#include "ui/hamlibcheck.h"

#include "hamlib/hamlibradio.h"

#include <QCoreApplication>

HamlibTarget hamlibTargetOf(const RadioChoice& choice)
{
    if (choice.backend == RadioBackendKind::Remote)
        return HamlibTarget{kHamlibRemoteModel, choice.remote, 0};
    return HamlibTarget{choice.hamlibModel, choice.device, choice.baud};
}

HamlibCheck::HamlibCheck(QObject* parent) : QObject(parent), m_radio(new HamlibRadio(this))
{
    m_radio->setPollPeriod(std::chrono::milliseconds::zero());
    connect(m_radio, &HamlibRadio::opened, this, &HamlibCheck::onOpened);
    connect(m_radio, &HamlibRadio::openFailed, this,
            [this](const AppError& error) { finish(false, error.text); });
    connect(m_radio, &HamlibRadio::heard, this, [this](const HamlibReading& reading) {
        if (reading.frequencyHz)
            m_heardHz = reading.frequencyHz;
    });
}

HamlibCheck::~HamlibCheck()
{
    if (!m_running)
        return;
    // Its thread may be inside Hamlib's open or a read, which ends only at Hamlib's timeout:
    // deleting the radio now would wait for that on this thread.
    m_radio->disconnect(this);
    m_radio->close();
    m_radio->setParent(QCoreApplication::instance());
}

void HamlibCheck::start(const HamlibTarget& target)
{
    cancel();
    m_target = target;
    m_modelName.clear();
    m_heardHz.reset();
    m_running = true;
    ++m_run;
    m_radio->open(target);
}

void HamlibCheck::cancel()
{
    if (!m_running)
        return;
    m_running = false;
    ++m_run;
    m_radio->close();
}

void HamlibCheck::onOpened(const HamlibCapabilities& capabilities)
{
    if (!m_running)
        return;
    m_modelName = capabilities.modelName;
    const quint64 run = m_run;
    const HamlibRadio::Result failed = m_radio->readFrequency([this, run](Answer answer) {
        if (run == m_run)
            onRead(answer);
    });
    if (failed)
        finish(false, failed->text);
}

void HamlibCheck::onRead(Answer answer)
{
    switch (answer) {
        case Answer::Ok:
            if (m_heardHz) {
                finish(
                    true,
                    QStringLiteral("%1 answers: %2").arg(radioName(), frequencyText(*m_heardHz)));
                return;
            }
            [[fallthrough]];
        case Answer::Rejected:
            finish(true,
                   QStringLiteral("%1 answers, but does not tell its frequency.").arg(radioName()));
            return;
        case Answer::Timeout:
            finish(false,
                   m_target.remote()
                       ? QStringLiteral("No answer from the rigctld at %1.").arg(m_target.device)
                       : QStringLiteral("No answer from the %1 on %2 at %3 baud. Check "
                                        "that the radio is on, its baud rate (in its "
                                        "menu), and the cable.")
                             .arg(m_modelName, m_target.device)
                             .arg(m_target.baud));
            return;
        case Answer::WriteFailed:
            finish(false, m_target.remote()
                              ? QStringLiteral("The connection to the rigctld at %1 failed "
                                               "while asking it.")
                                    .arg(m_target.device)
                              : QStringLiteral("The line to the %1 on %2 failed while asking it.")
                                    .arg(m_modelName, m_target.device));
            return;
    }
}

QString HamlibCheck::radioName() const
{
    // A rigctld's Hamlib model is "NET rigctl": the place says more.
    return m_target.remote() ? QStringLiteral("The radio at %1").arg(m_target.device) : m_modelName;
}

void HamlibCheck::finish(bool answered, const QString& text)
{
    if (!m_running)
        return;
    m_running = false;
    ++m_run;
    m_radio->close();
    emit finished(Outcome{m_target, answered, text});
}

QString HamlibCheck::frequencyText(quint64 hz)
{
    QString digits = QString::number(hz);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char('.'));
    return digits;
}
