#pragma once

#include <QGroupBox>

class QPushButton;

/** The command group beside MODE: the radio scan toggle Cscan, the split toggle Csplit and
 *  QUIT (Cquit). The window wires them. */
class ComFrame : public QGroupBox {
    Q_OBJECT
public:
    /** Caption of Cscan while the radio is believed not to scan. */
    static inline const QString kScanStartCaption = QStringLiteral("SCAN START");
    /** Caption of Cscan after a scan was started. */
    static inline const QString kScanStopCaption = QStringLiteral("SCAN STOP");

    explicit ComFrame(QWidget* parent = nullptr);

    QPushButton* scanButton() const { return m_scan; }
    QPushButton* splitButton() const { return m_split; }
    QPushButton* quitButton() const { return m_quit; }

private:
    QPushButton* m_scan;
    QPushButton* m_split;
    QPushButton* m_quit;
};
