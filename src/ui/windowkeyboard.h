#pragma once

class EntryPad;
class QKeyEvent;
class QWidget;

/**
 * The main window's keyboard: the Tab order over every control, and the keys typed outside
 * text fields and the grid, which go to the entry pad (digits, the decimal point, Backspace,
 * Esc, Return).
 */
class WindowKeyboard {
public:
    /** window is the main window, client the widget holding its controls, grid the memory
     *  grid (which keeps its own keys). */
    WindowKeyboard(QWidget* window, QWidget* client, QWidget* grid, EntryPad* pad);

    /** Tab and Shift+Tab walk every control in reading order: the pad and SEND first,
     *  QUIT last. */
    void setOrder() const;
    /** Handles a key the window received; false when it is not the pad's (the window
     *  passes it on). */
    bool handleKey(QKeyEvent* event) const;

private:
    bool keyBelongsToFocus() const;
    bool returnMeansSend() const;

    QWidget* m_window;
    QWidget* m_client;
    QWidget* m_grid;
    EntryPad* m_pad;
};
