#include "support/rigctld.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

namespace {

constexpr int kWaitMs = 15'000;

/** A socket of this machine listens on 127.0.0.1:port (the kernel's TCP table). */
bool listening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        QByteArray("0100007F:") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

}  // namespace

quint16 freeTcpPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

bool Rigctld::start(quint16 port)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("rigctld"));
    if (program.isEmpty())
        return false;
    m_port = port;
    m_process.start(program,
                    {QStringLiteral("-m"), QStringLiteral("1"), QStringLiteral("-T"),
                     QStringLiteral("127.0.0.1"), QStringLiteral("-t"), QString::number(port)});
    if (!m_process.waitForStarted(kWaitMs))
        return false;
    // Listening, seen without connecting: a client that leaves at once may find rigctld
    // still closing its session when the next one comes.
    return QTest::qWaitFor([this] { return listening(m_port); }, kWaitMs);
}

void Rigctld::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(kWaitMs);
}
