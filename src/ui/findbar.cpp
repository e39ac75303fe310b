#include "ui/findbar.h"

#include "ui/uilook.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

FindBar::FindBar(QWidget* parent) : QWidget(parent), m_field(new QLineEdit(this))
{
    setObjectName(QStringLiteral("FindMem"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("Find:"), this);
    label->setBuddy(m_field);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    m_field->setObjectName(QStringLiteral("FindMemText"));
    m_field->setFont(look::arial(9));
    m_field->setClearButtonEnabled(true);
    m_field->setPlaceholderText(
        QStringLiteral("name, or frequency: 14074 or 145.5 (Esc: show all)"));
    m_field->setToolTip(
        QStringLiteral("Show only the memories whose name contains this "
                       "text, or whose frequency starts with these digits"));
    m_field->setAccessibleName(QStringLiteral("Find memory"));
    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::textChanged, this, &FindBar::findTextChanged);
    hide();
}

void FindBar::open()
{
    if (isHidden()) {
        show();
        emit shownChanged();
    }
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void FindBar::clearAndClose()
{
    m_field->clear();
    if (!isHidden()) {
        hide();
        emit shownChanged();
    }
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        clearAndClose();
        emit closedByKey();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
