#pragma once

#include <QColor>
#include <QWidget>

/** A filled shape drawn behind or between controls: the white rectangle behind the entry
 *  pad's digits and the two dots between its digit groups. */
class FilledShape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, Circle };

    FilledShape(Kind kind, const QColor& fill, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
    QColor m_fill;
};
