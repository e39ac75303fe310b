#include "radio/framelog.h"

#include "common/version.h"
#include "link/seriallink.h"

#include <QDateTime>

QString transcriptLine(qint64 nanoseconds, const QString& text)
{
    return QStringLiteral("[%1 s] %2")
        .arg(static_cast<double>(nanoseconds) / 1e9, 7, 'f', 3)
        .arg(text);
}

QString frameTranscriptLine(qint64 nanoseconds, bool toRadio, const QByteArray& frame)
{
    return transcriptLine(
        nanoseconds, (toRadio ? QStringLiteral("to radio    ") : QStringLiteral("from radio  ")) +
                         QString::fromLatin1(frame.toHex(' ').toUpper()));
}

FrameLog::FrameLog(QObject* parent) : QObject(parent) {}

FrameLog::~FrameLog() = default;

void FrameLog::watch(SerialLink* link)
{
    connect(link, &SerialLink::frameWritten, this, [this](const QByteArray& frame) {
        if (isRunning())
            writeLine(frameTranscriptLine(m_clock.nsecsElapsed(), true, frame));
    });
    connect(link, &SerialLink::frameReceived, this, [this](const QString& frameText) {
        if (isRunning())
            writeLine(frameTranscriptLine(m_clock.nsecsElapsed(), false,
                                          QByteArray::fromHex(frameText.toLatin1())));
    });
}

bool FrameLog::start(const QString& path, QString* error)
{
    stop();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        *error =
            QStringLiteral("cannot write the frame log %1: %2").arg(path, m_file.errorString());
        return false;
    }
    m_clock.start();
    writeLine(QStringLiteral("Corvane %1 frame log, started %2")
                  .arg(QLatin1String(kCorvaneVersion),
                       QDateTime::currentDateTime().toString(Qt::ISODateWithMs)));
    if (isRunning())
        emit runningChanged(true);
    return isRunning();
}

void FrameLog::note(const QString& text)
{
    if (isRunning())
        writeLine(transcriptLine(m_clock.nsecsElapsed(), text));
}

void FrameLog::stop()
{
    if (!m_file.isOpen())
        return;
    m_file.close();
    emit runningChanged(false);
}

void FrameLog::writeLine(const QString& line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    if (m_file.write(bytes) == bytes.size() && m_file.flush())
        return;
    const QString error =
        QStringLiteral("the frame log %1 could not be written (%2); it is off now")
            .arg(m_file.fileName(), m_file.errorString());
    m_file.close();
    emit runningChanged(false);
    emit failed(error);
}
