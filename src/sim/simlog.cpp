#include "sim/simlog.h"

#include <cstdio>

SimLog::SimLog()
{
    m_clock.start();
}

bool SimLog::open(const QString& path, QString* error)
{
    if (!path.isEmpty()) {
        m_file.setFileName(path);
    }
    const bool opened = path.isEmpty()
                            ? m_file.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered)
                            : m_file.open(QIODevice::WriteOnly | QIODevice::Append);
    if (!opened) {
        *error = m_file.errorString();
    }
    return opened;
}

void SimLog::write(const QString& kind, const QString& text)
{
    const qint64 micros = m_clock.nsecsElapsed() / 1000;
    const QString line = QStringLiteral("%1.%2 %3 %4\n")
                             .arg(micros / 1'000'000)
                             .arg(micros % 1'000'000, 6, 10, QLatin1Char('0'))
                             .arg(kind, text);
    m_file.write(line.toUtf8());
    m_file.flush();
}
