#include "ui/windowkeyboard.h"

#include "ui/entrypad.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextEdit>
#include <QWidget>

namespace {

/** The window's order for Tab: the pad and SEND first, then the radio's display, mode and
 *  step, its scan and split, the bookmark scan, the memories, and QUIT last, away from the
 *  keys in daily use. Shift+Tab goes back through it; both wrap around. */
constexpr char kKeyboardOrder[] =
    "Tasto_1 Tasto_2 Tasto_3 Tasto_4 Tasto_5 Tasto_6 Tasto_7 Tasto_8 Tasto_9 Tasto_0 "
    "Csend CaddMain "
    "CaddCurrMem InStringa "
    "Clsb Cusb Ccw Crtty Cam Cfm Cwfm "
    "Cstep_0 Cstep_1 Cstep_2 Cstep_3 Cstep_4 Cstep_5 Cstep_6 Cstep_7 Cstep_8 Cstep_9 "
    "Cscan Csplit "
    "CscanDB CstopScan OptSpeed_0 OptSpeed_1 OptSpeed_2 "
    "Crecall DBGrid1 DataFreqFirst DataFreqPrevious DataFreqNext DataFreqLast "
    "Cquit";

}  // namespace

WindowKeyboard::WindowKeyboard(QWidget* window, QWidget* client, QWidget* grid, EntryPad* pad)
    : m_window(window), m_client(client), m_grid(grid), m_pad(pad)
{
}

void WindowKeyboard::setOrder() const
{
    QWidget* previous = nullptr;
    const QStringList names =
        QString::fromLatin1(kKeyboardOrder).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        auto* widget = m_client->findChild<QWidget*>(name);
        if (!widget)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

bool WindowKeyboard::handleKey(QKeyEvent* event) const
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier || keyBelongsToFocus())
        return false;
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        // A typed digit is that pad key pressed, focus included, so the Return after the
        // entry sends it (or, after a decimal point, the typed entry's next digit).
        m_pad->typeDigit(key - Qt::Key_0);
    } else if (key == Qt::Key_Period || key == Qt::Key_Comma) {
        m_pad->typeDecimalPoint();
    } else if (key == Qt::Key_Backspace) {
        m_pad->eraseLastDigit();
    } else if (key == Qt::Key_Escape) {
        m_pad->clearEntry();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // A held Return sends once: its repeats are dropped.
        if (!event->isAutoRepeat() && returnMeansSend())
            m_pad->pressReturn();
    } else {
        return false;
    }
    return true;
}

bool WindowKeyboard::keyBelongsToFocus() const
{
    // Text fields and the grid (with its cell editors) keep their keys; the read-only
    // status line takes no typing, so the pad's keys reach the pad through it.
    const QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return false;
    if (focus == m_grid || m_grid->isAncestorOf(focus))
        return true;
    if (const auto* line = qobject_cast<const QLineEdit*>(focus))
        return !line->isReadOnly();
    return qobject_cast<const QTextEdit*>(focus) || qobject_cast<const QPlainTextEdit*>(focus) ||
           qobject_cast<const QAbstractSpinBox*>(focus) ||
           qobject_cast<const QAbstractItemView*>(focus);
}

bool WindowKeyboard::returnMeansSend() const
{
    // Return is SEND on the pad's own keys or with no control in focus, and ends an entry
    // being typed wherever the focus is; otherwise it does nothing, so a focused QUIT, mode
    // or step button never retunes.
    const QWidget* focus = QApplication::focusWidget();
    return !focus || focus == m_window || focus == m_client || m_pad->isSendKey(focus) ||
           m_pad->hasTypedEntry();
}
