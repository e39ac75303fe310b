#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

/**
 * The one seam through which every modal message box of the program goes. The program
 * shows a real QMessageBox; tests install a handler that records the box and answers it.
 */
struct MessageRequest {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;  ///< the program's title, "Corvane", when the box has none of its own
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

using MessageHandler = std::function<QMessageBox::StandardButton(const MessageRequest&)>;

/** The program's title, used as caption of boxes without a title of their own. */
inline const QString kProgramTitle = QStringLiteral("Corvane");

/** Shows the box (modal; events keep running) and returns the button pressed. */
QMessageBox::StandardButton showMessage(QWidget* parent, const MessageRequest& request);

/** Convenience: OK-only box. An empty title means the program's title. */
void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text);

/** Replaces the real box (tests). An empty handler restores it. */
void setMessageHandler(MessageHandler handler);
