#pragma once

#include <QWidget>

class QToolButton;

/**
 * The record-navigation strip DataFreq under the grid: first, previous, next and last
 * buttons around the caption "Memoria". It only asks for moves; the data control moves.
 */
class NavigationBar : public QWidget {
    Q_OBJECT
public:
    explicit NavigationBar(QWidget* parent = nullptr);

signals:
    void moveFirstRequested();
    void movePreviousRequested();
    void moveNextRequested();
    void moveLastRequested();

private:
    QToolButton* addButton(const char* name, const QString& text, const QString& tip);
};
