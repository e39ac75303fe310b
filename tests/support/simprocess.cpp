#include "support/simprocess.h"

#include <QTest>

namespace {

/** Splits complete lines off the front of buffer; the unfinished rest stays. */
QStringList takeLines(QByteArray* buffer)
{
    QStringList lines;
    qsizetype newline;
    while ((newline = buffer->indexOf('\n')) >= 0) {
        lines.append(QString::fromUtf8(buffer->left(newline)).trimmed());
        buffer->remove(0, newline + 1);
    }
    return lines;
}

}  // namespace

SimProcess::SimProcess(QObject* parent) : QObject(parent)
{
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &SimProcess::onStandardOutput);
    connect(&m_process, &QProcess::readyReadStandardError, this, &SimProcess::onStandardError);
}

SimProcess::~SimProcess()
{
    stop();
}

bool SimProcess::start(const QStringList& arguments, int timeoutMs)
{
    m_process.start(QStringLiteral(CORVANE_SIM_PATH), arguments);
    const bool ready = QTest::qWaitFor(
        [this] { return !m_devicePath.isEmpty() || m_process.state() == QProcess::NotRunning; },
        timeoutMs);
    if (!ready || m_devicePath.isEmpty()) {
        m_error = QStringLiteral("corvane-sim did not print its device path: %1 %2")
                      .arg(m_process.errorString(), m_logLines.join(QLatin1Char('\n')));
        return false;
    }
    return true;
}

bool SimProcess::stop(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning) {
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    m_process.terminate();
    const bool ended =
        QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    if (!ended) {
        m_process.kill();
        m_process.waitForFinished(timeoutMs);
        return false;
    }
    onStandardError();
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

bool SimProcess::command(const QString& line, QString* reply, int timeoutMs)
{
    m_replies.clear();
    const int logged = m_commandsLogged + 1;
    m_process.write((line + QLatin1Char('\n')).toUtf8());
    const bool answered = QTest::qWaitFor([this] { return !m_replies.isEmpty(); }, timeoutMs);
    if (!answered) {
        m_error = QStringLiteral("no answer to \"%1\"").arg(line);
        return false;
    }
    const QString answer = m_replies.takeFirst();
    const bool ok = answer.startsWith(QLatin1String("OK"));
    if (reply) {
        *reply = answer.mid(ok ? 3 : 6);
    }
    if (!ok) {
        m_error = answer;
    }
    // The program logs the command (after what it sent) before it replies: once that log
    // line is in, logLines() holds everything the command did.
    if (!QTest::qWaitFor([this, logged] { return m_commandsLogged >= logged; }, timeoutMs)) {
        m_error = QStringLiteral("\"%1\" was answered but never logged").arg(line);
        return false;
    }
    return ok;
}

QString SimProcess::state()
{
    QString reply;
    return command(QStringLiteral("state"), &reply) ? reply : QString();
}

QStringList SimProcess::frameTexts() const
{
    QStringList texts;
    for (const Frame& frame : m_frames) {
        texts.append(frame.text);
    }
    return texts;
}

bool SimProcess::waitForFrames(int count, int timeoutMs)
{
    return QTest::qWaitFor([this, count] { return m_frames.size() >= count; }, timeoutMs);
}

void SimProcess::onStandardOutput()
{
    m_stdoutBuffer.append(m_process.readAllStandardOutput());
    for (const QString& line : takeLines(&m_stdoutBuffer)) {
        if (m_devicePath.isEmpty()) {
            m_devicePath = line;
        } else {
            m_replies.append(line);
        }
    }
}

void SimProcess::onStandardError()
{
    m_stderrBuffer.append(m_process.readAllStandardError());
    for (const QString& line : takeLines(&m_stderrBuffer)) {
        handleLogLine(line);
    }
}

void SimProcess::handleLogLine(const QString& line)
{
    m_logLines.append(line);
    if (line.section(QLatin1Char(' '), 1, 1) == QLatin1String("CMD")) {
        ++m_commandsLogged;
    }
    const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fields.size() != 3 || fields[1] != QLatin1String("RX")) {
        return;
    }
    bool ok = false;
    const Frame frame{fields[0].toDouble(&ok), fields[2]};
    if (ok) {
        m_frames.append(frame);
        emit frameReceived(frame);
    }
}
