#pragma once

#include <QProcess>
#include <QString>
#include <QtGlobal>

/** A TCP port of 127.0.0.1 free at the moment of asking. */
quint16 freeTcpPort();

/** Hamlib's rigctld with its dummy radio (model 1), listening on 127.0.0.1:port. */
class Rigctld {
public:
    ~Rigctld() { stop(); }

    /** False when rigctld is not installed or does not listen within the tests' wait. */
    bool start(quint16 port);
    void stop();
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    quint16 port() const { return m_port; }

private:
    QProcess m_process;
    quint16 m_port = 0;
};
