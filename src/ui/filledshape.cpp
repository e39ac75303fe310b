#include "ui/filledshape.h"

#include <QPainter>

FilledShape::FilledShape(Kind kind, const QColor& fill, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_fill(fill)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FilledShape::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_kind == Kind::Circle);
    painter.setBrush(m_fill);
    painter.setPen(QPen(Qt::black, 1));
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_kind == Kind::Circle)
        painter.drawEllipse(area);
    else
        painter.drawRect(area);
}
