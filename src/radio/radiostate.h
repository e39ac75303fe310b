#pragma once

#include "common/errorcatalogue.h"

#include <QObject>
#include <QString>

#include <optional>

/**
 * What is known about the radio and its line, in one place: the window, the recall, the
 * scans and the network read it, and the window draws the display, the status line, the
 * "Com Port" tick and the SPLIT and SCAN indicators from it (never the other way round).
 *
 * Frequency, mode and VFO are unknown until a frame tells them: the radio's broadcast,
 * the echo of a frame this program sent, or an answer to a read. The radio never
 * announces split or its own scan, so those two follow the commands written
 * successfully (noteSplitWritten, noteRadioScanWritten). Every change emits its signal
 * once; setting the value it already has emits nothing.
 *
 * Shown and confirmed. The getters give what is shown: an echo of a command shows its
 * value at once. Apart from that the state keeps what the radio itself confirmed: its
 * broadcasts, its answers to reads, and the values of commands it answered FB
 * (confirm()). When the radio refuses a command or does not answer it, rollBack() shows
 * the confirmed values again.
 *
 * Answering. A run of kNoAnswerRun commands without an answer marks the radio as not
 * answering (a wrong CI-V address, a cable off, the radio off); the next frame from the
 * radio clears it.
 */
class RadioState : public QObject {
    Q_OBJECT
public:
    enum class VfoSelected { Unknown, A, B };

    /** The parts of the state one frame can set, as bits. */
    enum Field : unsigned {
        kFrequency = 1U << 0,
        kMode = 1U << 1,
        kVfo = 1U << 2,
        kSplit = 1U << 3,
        kRadioScan = 1U << 4,
    };
    /** What one frame sent to the radio sets, read from its bytes (frequency, mode, VFO,
     *  split or scan; nothing for a read, a tuning step or anything else). */
    struct Claim {
        std::optional<QString> frequencyText;  ///< display text, "14.074.000"
        std::optional<quint8> modeCode;
        std::optional<VfoSelected> vfo;
        std::optional<bool> split;
        std::optional<bool> radioScan;

        static Claim fromFrame(const QByteArray& frame, quint8 radioAddress);
        unsigned fields() const;
    };

    /** No-answers in a row that mark the radio as not answering. */
    static constexpr int kNoAnswerRun = 2;
    /** The radio's verdict on the last command it answered: FB "OK", FA "ERROR". */
    enum class Answer { None, Ok, Error };
    enum class Connection {
        Closed,  ///< never opened, or closed by the program (port change, quitting)
        Open,
        Lost,  ///< the device went away or failed; connectionError() says why
    };

    explicit RadioState(QObject* parent = nullptr);

    /** The frequency in Hz, std::nullopt while unknown. */
    std::optional<quint64> frequencyHz() const { return m_frequencyHz; }
    /** The frequency as the display shows it, "145.400.000" (leading zeros removed);
     *  empty while unknown. */
    QString frequencyText() const { return m_frequencyText; }
    /** Mode code 0 (LSB) .. 6 (WFM), std::nullopt while unknown. */
    std::optional<quint8> modeCode() const { return m_modeCode; }
    /** The mode's name ("FM"), empty while unknown. */
    QString modeName() const;
    VfoSelected vfo() const { return m_vfo; }
    /** What VFO A or B was last shown to hold, kept while the other one is selected:
     *  std::nullopt until a frame told it while that VFO was selected (and for Unknown). */
    std::optional<quint64> vfoFrequencyHz(VfoSelected vfo) const;
    std::optional<quint8> vfoModeCode(VfoSelected vfo) const;
    bool split() const { return m_split; }
    bool radioScan() const { return m_radioScan; }
    Answer lastAnswer() const { return m_lastAnswer; }
    /** The last status text the radio's frames produced ("VFO A", "A = B", "OK", ...). */
    QString lastStatus() const { return m_lastStatus; }

    Connection connection() const { return m_connection; }
    bool isOpen() const { return m_connection == Connection::Open; }
    /** False after a run of commands without an answer, until the radio sends a frame. */
    bool answering() const { return m_answering; }
    /** The radio announced something on its own (a frame to the broadcast address 00)
     *  since the port was opened: it has transceive on. */
    bool heardAnnouncement() const { return m_heardAnnouncement; }

    /** "COM n" number of the port in use (or last used). */
    int portNumber() const { return m_portNumber; }
    /** The device of that port, "/dev/ttyUSB0". */
    QString device() const { return m_device; }
    /** Why the port is lost or could not be opened; number 0 when there is no reason. */
    AppError connectionError() const { return m_connectionError; }

    /** One received frame (frame text, upper-case hex through FD), read by the recogniser
     *  for the radio at radioAddress. */
    void applyFrame(QStringView frameText, quint8 radioAddress);

    /** A split frame (0F 00/01) was written: split is now on. */
    void noteSplitWritten(bool on);
    /** A scan frame (0E 00/01) was written: the radio scans. */
    void noteRadioScanWritten(bool on);

    /** The radio answered FB to a frame that claimed this: it is confirmed; it is shown
     *  too, except the fields in keepShown (a later frame's echo shows them). */
    void confirm(const Claim& claim, unsigned keepShown);
    /** The radio refused a frame or did not answer: show the confirmed values again, except
     *  the fields in keepShown. */
    void rollBack(unsigned keepShown);
    /** A frame to the radio went unanswered: one more in the run. */
    void noteNoAnswer();
    /** A backend that tells it itself (Hamlib) says whether the radio answers. */
    void setAnswering(bool answering);

    void setOpen(int portNumber, const QString& device);
    void setClosed();
    void setLost(const AppError& why);
    /** A failed open of portNumber's device: the link stays closed, why says the reason. */
    void setOpenFailed(int portNumber, const QString& device, const AppError& why);

signals:
    void frequencyChanged();
    void modeChanged();
    void vfoChanged(RadioState::VfoSelected vfo);
    void splitChanged(bool on);
    void radioScanChanged(bool on);
    /** The radio produced a status text (sent for every frame that does, even when the
     *  text is the same as before: each is a new verdict). */
    void statusReported(const QString& text);
    void lastAnswerChanged(RadioState::Answer answer);
    /** Open/closed/lost, the port number, the device or the reason changed. */
    void connectionChanged();
    void answeringChanged(bool answering);
    /** The first announcement of the radio since the port was opened. */
    void announcementHeard();

private:
    /** What the radio confirmed, field by field. */
    struct Confirmed {
        QString frequencyText;
        std::optional<quint8> modeCode;
        VfoSelected vfo = VfoSelected::Unknown;
        bool split = false;
        bool radioScan = false;
    };

    void noteFrameFromRadio(QStringView frameText);
    void setFrequencyText(const QString& text);
    void setModeCode(std::optional<quint8> code);
    void setModeName(const QString& name);
    void setVfo(VfoSelected vfo);
    void reportStatus(const QString& text);
    void setConnection(Connection connection, int portNumber, const QString& device,
                       const AppError& why);

    std::optional<quint64> m_frequencyHz;
    QString m_frequencyText;
    std::optional<quint8> m_modeCode;
    VfoSelected m_vfo = VfoSelected::Unknown;
    /** Per VFO (A, B): the values last shown while it was selected. */
    std::optional<quint64> m_vfoFrequencyHz[2];
    std::optional<quint8> m_vfoModeCode[2];
    bool m_split = false;
    bool m_radioScan = false;
    Answer m_lastAnswer = Answer::None;
    QString m_lastStatus;
    Connection m_connection = Connection::Closed;
    int m_portNumber = 0;
    QString m_device;
    AppError m_connectionError;
    Confirmed m_confirmed;
    bool m_answering = true;
    int m_noAnswers = 0;
    bool m_heardAnnouncement = false;
};
