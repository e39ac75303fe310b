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
 */
class RadioState : public QObject {
    Q_OBJECT
public:
    enum class VfoSelected { Unknown, A, B };
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

private:
    void setFrequencyText(const QString& text);
    void setModeName(const QString& name);
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
};
