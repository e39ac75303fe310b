#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

/**
 * The live radio display: the frequency Freq, the split indicator Lsplit (its visibility
 * is the split state), the mode Lmode, the ADD MEM button CaddCurrMem and the status line
 * InStringa.
 */
class DisplayFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit DisplayFrame(QWidget* parent = nullptr);

    /** Split as shown: Lsplit is visible. Tracked apart from the widget's own visibility,
     *  which also depends on the window being shown. */
    bool splitShown() const { return m_splitShown; }
    void setSplitShown(bool shown);

    /** Dimmed: the frequency and mode are shown in grey, as values that may be stale
     *  (the port is closed or lost). */
    bool dimmed() const { return m_dimmed; }
    void setDimmed(bool dimmed);

    /** The radio's frequency and mode, as text and for a screen reader. */
    void showFrequency(const QString& text);
    void showMode(const QString& mode);

    /** ADD MEM is offered only while the database can take a new memory. */
    void setAddMemoryEnabled(bool enabled);
    /** A word in the display about the radio itself ("NOT ANSWERING"), Lradio; empty
     *  hides it. */
    QString radioWord() const;
    void setRadioWord(const QString& word);

    QLabel* freq() const { return m_freq; }
    QLabel* lmode() const { return m_lmode; }
    QLineEdit* inStringa() const { return m_inStringa; }

    /** Shows words followed by detail on the status line; the words stay whole and the
     *  detail (a device path) is elided in its middle to fit, the tooltip holding the whole
     *  text until the next text replaces it. */
    void showStatusElided(const QString& words, const QString& detail);

signals:
    /** ADD MEM (CaddCurrMem): store the frequency and mode the radio told. */
    void addMemoryRequested();

private:
    QLabel* m_freq;
    QLabel* m_lsplit;
    QLabel* m_lmode;
    QLabel* m_lradio;
    QPushButton* m_addCurrent;
    QLineEdit* m_inStringa;
    QString m_elidedShown;  ///< the status text showStatusElided() set, while it stands
    bool m_splitShown = true;
    bool m_dimmed = false;
};
