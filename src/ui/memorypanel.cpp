#include "ui/memorypanel.h"

#include "ui/uilook.h"

#include <QLabel>
#include <QPushButton>

namespace {

struct CaptionSpec {
    const char* text;
    int left;
    int top;
    int width;
};

// LabelMem by index. Their size is not fixed by the layout; the widths leave room for the
// caption in 9 pt Arial without reaching the value labels.
constexpr CaptionSpec kCaptions[MemoryPanel::kCaptionCount] = {
    {"MAIN FREQ:", 180, 495, 1200},
    {"SPLIT FREQ:", 2835, 495, 1200},
    {"MODE:", 180, 765, 1200},
    {"NAME:", 180, 225, 1200},
};
constexpr int kCaptionHeight = 255;
/** LabelMem index of the caption "SPLIT FREQ:". */
constexpr int kSplitCaption = 1;
const QString kNomeDBTip = QStringLiteral("Current Mem database");

}  // namespace

MemoryPanel::MemoryPanel(QWidget* parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("FrameMem"));
    look::paint(this, look::kNavy, Qt::white);
    look::place(this, 120, 4020, 6165, 1515);
    setAccessibleName(QStringLiteral("Memory panel"));

    for (int i = 0; i < kCaptionCount; ++i) {
        auto* label = new QLabel(QString::fromLatin1(kCaptions[i].text), this);
        label->setObjectName(QStringLiteral("LabelMem_%1").arg(i));
        label->setFont(look::arial(9));
        look::paint(label, look::kNavy, Qt::white);
        look::place(label, kCaptions[i].left, kCaptions[i].top, kCaptions[i].width, kCaptionHeight);
        m_captions[i] = label;
    }

    m_memName = valueLabel("MemName", 1395, 225, 4605, 285);
    m_mainFreq = valueLabel("MainFreq", 1395, 495, 1185, 330);
    m_splitFreq = valueLabel("SplitFreq", 4050, 495, 1185, 330);
    m_memMode = valueLabel("MemMode", 1395, 765, 1770, 330);

    m_nomeDB = new QLabel(this);
    m_nomeDB->setObjectName(QStringLiteral("NomeDB"));
    m_nomeDB->setToolTip(kNomeDBTip);
    m_nomeDB->setAccessibleName(QStringLiteral("Memory database"));
    look::paint(m_nomeDB, look::kLightYellow, Qt::black);
    look::place(m_nomeDB, 180, 1035, 4185, 285);

    m_recall = new QPushButton(QStringLiteral("RECALL"), this);
    m_recall->setObjectName(QStringLiteral("Crecall"));
    m_recall->setToolTip(QStringLiteral("Set IC-706 to current memory"));
    look::paintButton(m_recall, look::kLightGrey, Qt::black);
    look::place(m_recall, 4620, 1035, 1395, 330);
    connect(m_recall, &QPushButton::clicked, this, &MemoryPanel::recallRequested);
}

void MemoryPanel::showMemory(const MemorySnapshot& memory)
{
    m_mainFreq->setText(memory.mainFreq);
    m_captions[kSplitCaption]->setVisible(memory.split);
    m_splitFreq->setVisible(memory.split);
    m_splitFreq->setText(memory.splitFreq);
    m_memMode->setText(memory.mode);
    m_memName->setText(memory.name);
    m_memName->setAccessibleName(QStringLiteral("Memory name: ") + memory.name);
    m_mainFreq->setAccessibleName(QStringLiteral("Main frequency: ") + memory.mainFreq);
    m_splitFreq->setAccessibleName(QStringLiteral("Split frequency: ") + memory.splitFreq);
    m_memMode->setAccessibleName(QStringLiteral("Memory mode: ") + memory.mode);
}

void MemoryPanel::clearMemory()
{
    showMemory(MemorySnapshot{});
}

void MemoryPanel::setDatabasePath(const QString& path)
{
    const int room = m_nomeDB->contentsRect().width() - 2 * m_nomeDB->margin();
    m_nomeDB->setText(m_nomeDB->fontMetrics().elidedText(path, Qt::ElideMiddle, room));
    m_nomeDB->setToolTip(path.isEmpty() ? kNomeDBTip : path);
    m_nomeDB->setAccessibleDescription(path.isEmpty() ? kNomeDBTip : path);
}

QLabel* MemoryPanel::valueLabel(const char* name, int left, int top, int width, int height)
{
    auto* label = new QLabel(QStringLiteral("A"), this);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(look::arial(9.75, true));
    look::paint(label, look::kNavy, Qt::white);
    look::place(label, left, top, width, height);
    return label;
}
