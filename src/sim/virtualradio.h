#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QSocketNotifier;

/**
 * A virtual IC-706MKII-class transceiver on a pseudo-terminal. It behaves as the one-wire
 * CI-V bus does: every byte written to it comes back first (echo), then the radio's
 * answer. Usable in-process (tests, the demo) and as the corvane-sim program.
 */
class VirtualRadio : public QObject {
    Q_OBJECT
public:
    enum class VfoId { A, B };

    explicit VirtualRadio(quint8 address = 0x48, QObject* parent = nullptr);
    ~VirtualRadio() override;

    /** Creates the pseudo-terminal; devicePath() is then the path a client opens. */
    bool start(QString* error);
    QString devicePath() const;
    quint8 address() const { return m_address; }

    // Radio state (current VFO unless named).
    quint64 frequency() const;
    quint64 frequency(VfoId vfo) const;
    quint8 mode() const;
    VfoId currentVfo() const;
    bool split() const;
    bool scanning() const;
    quint8 tuningStep() const;

    // Front panel: these change the radio as its own knobs do and broadcast the change
    // (transceive, to address 00).
    void setFrequency(quint64 hz);
    void setMode(quint8 code);
    void selectVfo(VfoId vfo);

    // Line tricks for tests and demos.
    void sendRaw(const QByteArray& bytes);        ///< bytes as they are, one write
    void sendTwoFramesInOneWrite();               ///< frequency + mode announce together
    void sendCutFrame();                          ///< first half of a frame, no FD
    void sendGarbage(int count);                  ///< random bytes, never FD
    void setSilent(bool silent);                  ///< no echo, no answers while silent

signals:
    /** A complete frame received from the line (logged by the program). */
    void frameReceived(const QByteArray& frame);
    /** Bytes written to the line (echo and answers). */
    void bytesSent(const QByteArray& bytes);

private:
    void onReadable();
    void handleFrame(const QByteArray& frame);
    void send(const QByteArray& bytes);
    void announceFrequency();
    void announceMode();
    void scanStep();

    quint8 m_address;
    int m_masterFd = -1;
    int m_slaveFd = -1;  // kept open and raw so the line never hangs up between clients
    QString m_devicePath;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_rxBuffer;
    quint64 m_frequency[2] = {145400000, 145400000};
    quint8 m_mode[2] = {5, 5};
    VfoId m_vfo = VfoId::A;
    bool m_split = false;
    bool m_scanning = false;
    quint8 m_step = 0;
    bool m_silent = false;
    class QTimer* m_scanTimer = nullptr;
};
