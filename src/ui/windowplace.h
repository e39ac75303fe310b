#pragma once

#include "common/errorcatalogue.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

class QWidget;

/** Key of section SETTINGS: the window's place and size when it was last closed,
 *  "x,y,width,height" in pixels (the window's inside, without the frame). */
inline constexpr char kWindowPlaceKey[] = "GEOMETRY";

/** The place stored under GEOMETRY in the settings file; nullopt when there is none or it
 *  does not read as four whole numbers with a positive width and height. */
std::optional<QRect> readWindowPlace(const QString& settingsFile);
/** Stores place under GEOMETRY. */
bool writeWindowPlace(const QString& settingsFile, const QRect& place, AppError* error);

/**
 * Where a window last at saved goes now that the screens offer the areas available (the
 * first is the primary screen): on the screen it overlaps most (the primary one when it
 * overlaps none: a screen since removed, or a place written by hand), no larger than that
 * screen nor smaller than minimum, moved in as far as needed to be whole on it.
 */
QRect placeOnScreens(const QRect& saved, const QList<QRect>& available, const QSize& minimum);

/** Puts window where the settings file says it was (placed on the screens there are now);
 *  nothing when the file has no place. */
void restoreWindowPlace(QWidget* window, const QString& settingsFile);
