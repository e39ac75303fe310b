#pragma once

#include <QPushButton>

/** A push button whose caption wraps at blanks to fit a tall, narrow button
 *  ("ADD MEM" on two lines); text() stays the caption as given. */
class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    WrappingButton(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
