#pragma once

#include <QGroupBox>

class QPushButton;

/** The command group beside MODE: the radio scan toggle Cscan, the split toggle Csplit and
 *  QUIT (Cquit). It tells what the operator asked for; the window acts. */
class ComFrame : public QGroupBox {
    Q_OBJECT
public:
    /** Caption of Cscan while the radio is believed not to scan. */
    static inline const QString kScanStartCaption = QStringLiteral("SCAN START");
    /** Caption of Cscan after a scan was started. */
    static inline const QString kScanStopCaption = QStringLiteral("SCAN STOP");

    explicit ComFrame(QWidget* parent = nullptr);

    /** Cscan's caption from the radio scan state: "SCAN STOP" while the radio scans. */
    void showRadioScan(bool on);

signals:
    void scanRequested();
    void splitRequested();
    void quitRequested();

private:
    QPushButton* m_scan;
    QPushButton* m_split;
    QPushButton* m_quit;
};
