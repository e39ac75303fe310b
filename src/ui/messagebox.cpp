#include "ui/messagebox.h"

namespace {

MessageHandler& handler()
{
    static MessageHandler h;
    return h;
}

}  // namespace

QMessageBox::StandardButton showMessage(QWidget* parent, const MessageRequest& request)
{
    MessageRequest r = request;
    if (r.title.isEmpty())
        r.title = kProgramTitle;
    if (handler())
        return handler()(r);
    QMessageBox box(r.icon, r.title, r.text, r.buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text)
{
    showMessage(parent, MessageRequest{icon, title, text, QMessageBox::Ok});
}

void setMessageHandler(MessageHandler h)
{
    handler() = std::move(h);
}
