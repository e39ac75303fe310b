#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

/**
 * A raw client on a pseudo-terminal (or any serial device): the controller's end of the
 * line with nothing in between, for tests that check bytes exactly.
 *
 *   VirtualRadio radio;                      // in-process, or SimProcess for the program
 *   QVERIFY(radio.start(&error));
 *   PtyClient client;
 *   QVERIFY2(client.open(radio.devicePath()), qPrintable(client.errorString()));
 *   client.write(QByteArray::fromHex("FEFE48E003FD"));
 *   QVERIFY(client.waitForBytes(17));        // echo (6) + answer (11)
 *   QCOMPARE(client.received().toHex().toUpper(), "FEFE48E003FD" "FEFEE048...FD");
 *
 * received() accumulates everything read since open() or clear(). waitForBytes(n) runs
 * events until at least n bytes are in. To show that something does NOT come (a frame to
 * another address goes unanswered), send a known request behind it in the same write and
 * compare everything up to that request's answer: no fixed waits needed.
 */
class PtyClient : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 10'000;

    explicit PtyClient(QObject* parent = nullptr);
    ~PtyClient() override;

    bool open(const QString& devicePath);
    void close();
    QString errorString() const { return m_error; }

    /** Writes all bytes (the line takes them at once; a short write is an error). */
    bool write(const QByteArray& bytes);

    QByteArray received() const { return m_received; }
    void clear() { m_received.clear(); }
    bool waitForBytes(qsizetype count, int timeoutMs = kDefaultTimeoutMs);

signals:
    void bytesRead(const QByteArray& bytes);

private:
    void onReadable();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_received;
    QString m_error;
};
