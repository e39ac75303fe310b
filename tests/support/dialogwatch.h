#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

/** Runs answer on the first visible top-level widget of type Dialog once it is on screen
 *  (polled by a timer, as a modal dialog runs its own event loop). answer may wait
 *  (QTest::qWaitFor) while the dialog works. Deleting the timer returned stops the watch. */
template <typename Dialog>
QTimer* whenDialogShows(QObject* context, std::function<void(Dialog*)> answer)
{
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, answer] {
        Dialog* dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<Dialog*>(widget); found && found->isVisible())
                dialog = found;
        }
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        answer(dialog);
    });
    poll->start(20);
    return poll;
}
