#pragma once

#include <QGroupBox>

class QLabel;
class QPushButton;

/**
 * The memory panel under the radio display: the static captions LabelMem 0..3, the value
 * labels MemName, MainFreq, SplitFreq, MemMode (caption "A" at creation), the current
 * database label NomeDB and the RECALL button Crecall. Layout only; the memory layer fills
 * the values and wires RECALL through the accessors.
 */
class MemoryPanel : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kCaptionCount = 4;

    explicit MemoryPanel(QWidget* parent = nullptr);

    /** LabelMem(index): 0 "MAIN FREQ:", 1 "SPLIT FREQ:", 2 "MODE:", 3 "NAME:". */
    QLabel* captionLabel(int index) const;
    QLabel* memName() const { return m_memName; }
    QLabel* mainFreq() const { return m_mainFreq; }
    QLabel* splitFreq() const { return m_splitFreq; }
    QLabel* memMode() const { return m_memMode; }
    QLabel* nomeDB() const { return m_nomeDB; }
    /** NomeDB shows the open database's path, elided in the middle when too long; its
     *  tooltip holds the whole path. */
    void setDatabasePath(const QString& path);
    QPushButton* recallButton() const { return m_recall; }

private:
    QLabel* valueLabel(const char* name, int left, int top, int width, int height);

    QLabel* m_captions[kCaptionCount];
    QLabel* m_memName;
    QLabel* m_mainFreq;
    QLabel* m_splitFreq;
    QLabel* m_memMode;
    QLabel* m_nomeDB;
    QPushButton* m_recall;
};
