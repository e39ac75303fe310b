#pragma once

#include "common/errorcatalogue.h"

#include <QMainWindow>
#include <QString>

class BookmarkScanPanel;
class ComFrame;
class DisplayFrame;
class EntryPad;
class MainMenus;
class MemoryController;
class MemoryGrid;
class MemoryPanel;
class ModeFrame;
class NavigationBar;
class SerialLink;
class StepFrame;

/**
 * The main window: the live radio display, the entry pad, the mode, step, split and scan
 * commands, the memory panel, grid and navigation bar, and the menus. It owns the serial
 * link to the radio. Form_Load puts the radio into a known state before the window is
 * shown; closing the window (QUIT or the close box) closes the port and ends the program.
 */
class F706 : public QMainWindow {
    Q_OBJECT
public:
    /** appPath: the directory of the settings file, ending in a separator. */
    explicit F706(const QString& appPath, QWidget* parent = nullptr);
    ~F706() override;

    /** Start-up: reads ADDR706 and COMPORT, opens the port, ticks its menu item, sends
     *  VFO A, FM, the split toggle and the pad's frequency 0.2 s apart, loads the bookmark
     *  databases and sets the scan dwell. Returns false with the error when start-up
     *  cannot go on (the window must then not be shown). Returns true early, with
     *  isUnloaded() true, when the window was closed during a wait. */
    bool Form_Load(AppError* error);

    // Commands of the upper half; each writes one frame.
    void SelezionaVfoA();
    void Cfm_Click();
    void Cmode_Click(quint8 modeCode);
    void Cstep_Click(int index);
    void Csplit_Click();
    void Cscan_Click();
    void Csend_Click();
    void Cquit_Click();
    /** "Com Port" menu item Mcom(index), index 1..4. */
    void Mcom_Click(int index);

    /** Writes one whole frame to the radio. False when the port is closed or the write
     *  failed; the status line then says so. */
    bool sendFrame(const QByteArray& frame);

    QString appPath() const { return m_appPath; }
    QString settingsFile() const { return m_settingsFile; }
    quint8 radioAddress() const { return m_radioAddress; }
    int portNumber() const { return m_portNumber; }
    bool isUnloaded() const { return m_unloaded; }
    /** TempoScan: the bookmark-scan dwell in seconds (kept by the bookmark scan). */
    double tempoScan() const;
    void setTempoScan(double seconds);

    SerialLink* link() const { return m_link; }
    MainMenus* menus() const { return m_menus; }
    ModeFrame* modeFrame() const { return m_mode; }
    DisplayFrame* displayFrame() const { return m_display; }
    EntryPad* entryPad() const { return m_pad; }
    BookmarkScanPanel* bookmarkScanPanel() const { return m_scanPanel; }
    MemoryPanel* memoryPanel() const { return m_memPanel; }
    MemoryGrid* memoryGrid() const { return m_grid; }
    NavigationBar* navigationBar() const { return m_nav; }
    /** The memories: grid, panel, recall, adding, views, bookmark databases and scan. */
    MemoryController* memory() const { return m_memory; }

signals:
    /** The window is closing: the last moment to save anything (the port is still open). */
    void aboutToUnload();
    /** The port is closed and every wait has ended; the program ends now. */
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void connectControls();
    bool openStartupPort(int portNumber, AppError* error);
    bool waitBetweenFrames();
    /** Start-up steps 14-19: the bookmark menu, the current database and the grid's
     *  view. */
    void loadBookmarkDatabases();
    void Form_Unload();
    void Form_Resize();
    void MSComm1_OnComm(const QString& frameText);
    void onLineEvent(int code);
    void onPortLost(int errorNumber, const QString& errorText);
    bool reopenPort(int portNumber, int* errorNumber, QString* errorText);
    void showComDevices();
    bool keyBelongsToFocus() const;

    QString m_appPath;
    QString m_settingsFile;
    quint8 m_radioAddress = 0x48;
    int m_portNumber = 2;
    bool m_unloaded = false;
    bool m_lineEventShowing = false;

    SerialLink* m_link;
    QWidget* m_client = nullptr;
    MainMenus* m_menus = nullptr;
    StepFrame* m_step = nullptr;
    ModeFrame* m_mode = nullptr;
    ComFrame* m_com = nullptr;
    DisplayFrame* m_display = nullptr;
    EntryPad* m_pad = nullptr;
    BookmarkScanPanel* m_scanPanel = nullptr;
    MemoryPanel* m_memPanel = nullptr;
    MemoryGrid* m_grid = nullptr;
    NavigationBar* m_nav = nullptr;
    MemoryController* m_memory = nullptr;
};
