#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>

class PtyLine;
class QTimer;

/**
 * A virtual IC-706MKII-class transceiver on a pseudo-terminal. It behaves as the one-wire
 * CI-V bus does: every byte written to it comes back first (echo), then the radio's
 * answer. Usable in-process (tests, the demo) and as the corvane-sim program.
 *
 * Answers, to the address that asked, for frames addressed to address():
 *   03            -> 03 b1..b5        frequency of the current VFO (BCD, LSB pair first)
 *   04            -> 04 mode filter   mode of the current VFO
 *   05 b1..b5     -> FB, or FA outside the frequencies its model receives (by address) or for bad
 * BCD 06 m [filter] -> FB, or FA for a mode code above 06 or a filter outside 01..03 07 00|01|A0|B0
 * -> FB  (select A, select B, copy current VFO to the other, swap A/B) 0E 00|01      -> FB  (scan
 * stop/start: steps the frequency by the tuning step) 0F 00|01      -> FB  (split off/on);  0F
 * alone -> 0F 00|01 (split state) 10 00..09     -> FB  (tuning step);   10 alone -> 10 ss (step
 * code) anything else -> FA Frames to other addresses are echoed (that is the bus) but not
 * answered.
 *
 * Transceive (on unless setTransceive(false)): a change of frequency or mode that did not
 * come from a 05/06 on the line (front panel, scanning, VFO commands) is announced to
 * address 00:
 *   FE FE 00 <addr> 00 b1..b5 FD      and      FE FE 00 <addr> 01 mode filter FD
 * With transceive off the radio announces nothing; it still echoes and answers.
 */
class VirtualRadio : public QObject {
    Q_OBJECT
public:
    enum class VfoId { A, B };

    static constexpr quint8 kMaxModeCode = 0x06;    ///< WFM
    static constexpr quint8 kMaxStepCode = 0x09;    ///< 100 kHz
    static constexpr quint8 kDefaultFilter = 0x01;  ///< filter byte of a bare 06 m

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
    quint8 mode(VfoId vfo) const;
    quint8 filter() const;
    quint8 filter(VfoId vfo) const;
    VfoId currentVfo() const;
    bool split() const;
    bool scanning() const;
    quint8 tuningStep() const;

    /** Tuning step in hertz of a step code 00..09 (10 Hz ... 100 kHz); 0 for other codes. */
    static quint64 tuningStepHz(quint8 code);

    /** Time between two scan steps (default 100 ms). */
    void setScanInterval(std::chrono::milliseconds interval);

    // Front panel: these change the radio as its own knobs do and broadcast the change
    // (transceive, to address 00). The front panel may set any value the five BCD bytes
    // can carry (up to 9 999 999 999 Hz; higher values are ignored) and any mode byte, so
    // tests can make the radio announce what a real one would not.
    void setFrequency(quint64 hz);
    void setMode(quint8 code);
    void selectVfo(VfoId vfo);

    // Line tricks for tests and demos.
    void sendRaw(const QByteArray& bytes);  ///< bytes as they are, one write
    void sendTwoFramesInOneWrite();         ///< frequency + mode announce together
    void sendCutFrame();                    ///< first half of a frame, no FD
    void sendGarbage(int count);            ///< random bytes, never FD
    void setSilent(bool silent);            ///< no echo, no answers while silent
    bool silent() const { return m_silent; }
    /** Refusing, the radio answers FA to every command but the reads (03, 04), as a radio
     *  busy in its own menus does. */
    void setRefusing(bool refusing) { m_refusing = refusing; }
    /** The radio's CI-V transceive setting: off, it announces no change of its own. */
    void setTransceive(bool on) { m_transceive = on; }
    bool transceive() const { return m_transceive; }

    /** The radio's CI-V rate in baud (its menu setting); 0, the default, takes any rate.
     *  While the client's end runs at another rate, the radio cannot read what it is sent:
     *  the bytes still come back (that is the bus) but nothing is answered. */
    void setLineRate(int baud) { m_lineRate = baud; }
    /** The rate the client set on its end of the line (0 when unknown). */
    int clientBaudRate() const;

    /** Drops whatever the radio has sent that no client has read yet. */
    void discardUnread();

    /** True while a client has the device open. What the radio sends while no client
     *  is there is lost, as on a line with nobody on it. */
    bool hasClient() const;

    /** Why the radio's last send did not go out ("no client has the line open", ...);
     *  empty when the line took it. */
    QString lastSendProblem() const { return m_lastSendProblem; }

signals:
    /** A complete frame received from the line (logged by the program). */
    void frameReceived(const QByteArray& frame);
    /** Bytes the line took: written, or queued to go out in order (echo and answers). */
    void bytesSent(const QByteArray& bytes);
    /** Bytes the radio meant to send that never go out, and why (the radio's own silence
     *  excepted). */
    void sendRefused(const QByteArray& bytes, const QString& reason);

private:
    /** What the radio answers to one command: a command byte and its data (FB/FA alone). */
    struct Answer {
        quint8 command;
        QByteArray data;
    };

    void onBytesRead(const QByteArray& bytes);
    void receiveByte(quint8 byte);
    void handleFrame(const QByteArray& frame);
    Answer execute(quint8 command, const QByteArray& data);
    Answer setFrequencyFromLine(const QByteArray& data);
    Answer setModeFromLine(const QByteArray& data);
    Answer vfoCommand(const QByteArray& data);
    Answer scanCommand(const QByteArray& data);
    Answer splitCommand(const QByteArray& data);
    Answer stepCommand(const QByteArray& data);
    void switchVfo(VfoId vfo);
    void send(const QByteArray& bytes);
    QByteArray frequencyAnnounce() const;
    QByteArray modeAnnounce() const;
    void announceFrequency();
    void announceMode();
    void announcePending();
    void scanStep();
    int index(VfoId vfo) const { return vfo == VfoId::A ? 0 : 1; }
    int current() const { return index(m_vfo); }

    quint8 m_address;
    PtyLine* m_line;
    QByteArray m_rxBuffer;
    quint64 m_frequency[2] = {145400000, 145400000};
    quint8 m_mode[2] = {5, 5};
    quint8 m_filter[2] = {kDefaultFilter, kDefaultFilter};
    VfoId m_vfo = VfoId::A;
    bool m_split = false;
    bool m_scanning = false;
    quint8 m_step = 0;
    bool m_silent = false;
    int m_lineRate = 0;
    bool m_transceive = true;
    bool m_refusing = false;
    bool m_pendingFrequency = false;  // announce after the answer to the current frame
    bool m_pendingMode = false;
    QTimer* m_scanTimer = nullptr;
    QString m_lastSendProblem;
};
