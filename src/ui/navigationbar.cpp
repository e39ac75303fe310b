#include "ui/navigationbar.h"

#include "ui/uilook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

NavigationBar::NavigationBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DataFreq"));
    look::paint(this, look::kLightGrey, Qt::black);
    look::place(this, 120, 7620, 9240, 345);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    setAccessibleName(QStringLiteral("Memory navigation"));
    QToolButton* first =
        addButton("DataFreqFirst", QStringLiteral("|\u25C0"), QStringLiteral("First"));
    QToolButton* previous =
        addButton("DataFreqPrevious", QStringLiteral("\u25C0"), QStringLiteral("Previous"));
    auto* caption = new QLabel(QStringLiteral("Memoria"), this);
    caption->setObjectName(QStringLiteral("DataFreqCaption"));
    caption->setContentsMargins(look::px(this, 90), 0, 0, 0);
    row->addWidget(first);
    row->addWidget(previous);
    row->addWidget(caption, 1);
    QToolButton* next = addButton("DataFreqNext", QStringLiteral("\u25B6"), QStringLiteral("Next"));
    QToolButton* last =
        addButton("DataFreqLast", QStringLiteral("\u25B6|"), QStringLiteral("Last"));
    row->addWidget(next);
    row->addWidget(last);

    connect(first, &QToolButton::clicked, this, &NavigationBar::moveFirstRequested);
    connect(previous, &QToolButton::clicked, this, &NavigationBar::movePreviousRequested);
    connect(next, &QToolButton::clicked, this, &NavigationBar::moveNextRequested);
    connect(last, &QToolButton::clicked, this, &NavigationBar::moveLastRequested);
}

QToolButton* NavigationBar::addButton(const char* name, const QString& text, const QString& tip)
{
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(tip);
    // Read out as words, not as the arrows drawn on it.
    button->setAccessibleName(tip + QStringLiteral(" memory"));
    button->setAccessibleDescription(
        QStringLiteral("Go to the %1 memory of the grid").arg(tip.toLower()));
    button->setAutoRaise(false);
    button->setFixedWidth(look::px(this, 375));
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    return button;
}
