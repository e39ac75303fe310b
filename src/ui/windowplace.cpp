#include "ui/windowplace.h"

#include "settings/apppath.h"
#include "settings/inifile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

qint64 overlap(const QRect& a, const QRect& b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

}  // namespace

std::optional<QRect> readWindowPlace(const QString& settingsFile)
{
    const QStringList parts = ReadINI(settingsFile, QString::fromLatin1(kSettingsSection),
                                      QString::fromLatin1(kWindowPlaceKey), QString())
                                  .split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (numbers[2] <= 0 || numbers[3] <= 0)
        return std::nullopt;
    return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

bool writeWindowPlace(const QString& settingsFile, const QRect& place, AppError* error)
{
    const QString value = QStringLiteral("%1,%2,%3,%4")
                              .arg(place.x())
                              .arg(place.y())
                              .arg(place.width())
                              .arg(place.height());
    return WriteINI(settingsFile, QString::fromLatin1(kSettingsSection),
                    QString::fromLatin1(kWindowPlaceKey), value, error);
}

QRect placeOnScreens(const QRect& saved, const QList<QRect>& available, const QSize& minimum)
{
    if (available.isEmpty())
        return saved;
    QRect screen = available.front();
    qint64 best = 0;
    for (const QRect& area : available) {
        if (overlap(saved, area) > best) {
            best = overlap(saved, area);
            screen = area;
        }
    }
    const int width = std::max(std::min(saved.width(), screen.width()), minimum.width());
    const int height = std::max(std::min(saved.height(), screen.height()), minimum.height());
    // Whole on the screen where it fits; a window larger than the screen keeps its top
    // left corner (and so its title bar) on it.
    const int x = std::max(std::min(saved.x(), screen.right() + 1 - width), screen.left());
    const int y = std::max(std::min(saved.y(), screen.bottom() + 1 - height), screen.top());
    return QRect(x, y, width, height);
}

void restoreWindowPlace(QWidget* window, const QString& settingsFile)
{
    const std::optional<QRect> saved = readWindowPlace(settingsFile);
    if (!saved)
        return;
    QList<QRect> available;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        available.append(primary->availableGeometry());
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            available.append(screen->availableGeometry());
    }
    window->setGeometry(placeOnScreens(*saved, available, window->minimumSizeHint()));
}
