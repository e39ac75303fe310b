#pragma once

#include <QColor>
#include <QFont>

class QWidget;

/**
 * The window's look: its colours, the Arial faces, and placement in twips.
 *
 * Every position of the window is given in twips (1440 to the inch). They are turned into
 * pixels through the screen's logical DPI, so at 96 dpi 15 twips make one pixel and the
 * window keeps its proportions on a screen with larger text.
 */
namespace look {

inline const QColor kNavy{0, 0, 128};             ///< window and group-box background
inline const QColor kLightGreen{128, 255, 128};   ///< the live radio display
inline const QColor kLightYellow{255, 255, 128};  ///< the current database label
inline const QColor kLightGrey{192, 192, 192};    ///< the RECALL button face
inline const QColor kDimmedText{96, 96, 96};      ///< a stale value on the light green

/** The smallest contrast ratio at which text reads on its background. */
constexpr double kReadableContrast = 4.5;

constexpr int kTwipsPerInch = 1440;

/** Twips to pixels for the logical DPI of widget's screen (rounded to nearest). */
int px(const QWidget* widget, int twips);

/** Pixels back to twips (for the resize rule and tests). */
int twips(const QWidget* widget, int pixels);

/** Sets the widget's geometry from Left, Top, Width, Height in twips, relative to its
 *  parent. */
void place(QWidget* widget, int left, int top, int width, int height);

/** Arial (Liberation Sans on Linux has its metrics) in points. */
QFont arial(double pointSize, bool bold = false);

/** Filled background and text colour for a label, frame or option button. */
void paint(QWidget* widget, const QColor& background, const QColor& text);

/** A fixed face and text colour for a push button, kept whatever the desktop's palette. */
void paintButton(QWidget* button, const QColor& face, const QColor& text);

/** The contrast ratio of two colours, 1 to 21, from their relative luminance (WCAG 2); text
 *  reads well on a background from 4.5 on. */
double contrastRatio(const QColor& first, const QColor& second);

/** The colour of an error text on background: dark red, or a light red where the
 *  background is too dark for it. */
QColor errorText(const QColor& background);

}  // namespace look
