#pragma once

#include "radio/recall.h"

#include <QGroupBox>

class QLabel;
class QPushButton;

/**
 * The memory panel under the radio display: the static captions LabelMem 0..3, the value
 * labels MemName, MainFreq, SplitFreq, MemMode (caption "A" at creation), the current
 * database label NomeDB and the RECALL button Crecall. It draws the memory it is given
 * and tells when RECALL is pressed; it holds no data of its own.
 */
class MemoryPanel : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kCaptionCount = 4;

    explicit MemoryPanel(QWidget* parent = nullptr);

    /** NomeDB shows the open database's path, elided in the middle when too long; its
     *  tooltip holds the whole path. */
    void setDatabasePath(const QString& path);
    /** The values of one memory; the split line shows only for a split memory. */
    void showMemory(const MemorySnapshot& memory);
    /** No current memory: every value empty, the split line hidden. */
    void clearMemory();

signals:
    void recallRequested();

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
