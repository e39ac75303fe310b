#pragma once

#include <QString>

class BookmarkScanPanel;
class MainMenus;
class MemoryGrid;
class MemoryPanel;
class NavigationBar;
class QLineEdit;
class QWidget;
class RadioCommands;
class RadioState;

/**
 * What the memory side of the window works with: the panels it draws and listens to, the
 * radio model it recalls through and the program directory. The window hands these over;
 * the memory side never reaches into the window for more.
 */
struct MemoryParts {
    QWidget* window = nullptr;  ///< parent of message boxes; its first Show tells a start-up
                                ///< error
    MainMenus* menus = nullptr;
    MemoryGrid* grid = nullptr;
    MemoryPanel* panel = nullptr;
    NavigationBar* navigation = nullptr;
    QLineEdit* statusLine = nullptr;  ///< InStringa, where the grid tells a refused edit
    BookmarkScanPanel* scanPanel = nullptr;
    RadioState* radio = nullptr;
    RadioCommands* commands = nullptr;
    QString appPath;  ///< the program directory, ending in a separator
    QString settingsFile;
};
