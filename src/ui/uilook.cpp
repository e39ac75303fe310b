#include "ui/uilook.h"

#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace look {

int px(const QWidget* widget, int twips)
{
    const double dpi = widget->logicalDpiX();
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

int twips(const QWidget* widget, int pixels)
{
    const double dpi = widget->logicalDpiX();
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / dpi));
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(px(widget, left), px(widget, top), px(widget, width), px(widget, height));
}

QFont arial(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void paint(QWidget* widget, const QColor& background, const QColor& text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void paintButton(QWidget* button, const QColor& face, const QColor& text)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::ButtonText, text);
    button->setPalette(palette);
}

namespace {

double luminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

}  // namespace

double contrastRatio(const QColor& first, const QColor& second)
{
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor errorText(const QColor& background)
{
    const QColor darkRed(0xb0, 0, 0);
    const QColor lightRed(0xff, 0x90, 0x90);
    return contrastRatio(darkRed, background) >= kReadableContrast ? darkRed : lightRed;
}

}  // namespace look
