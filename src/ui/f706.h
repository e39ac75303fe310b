#pragma once

#include "common/errorcatalogue.h"
#include "ui/memoryparts.h"

#include <QMainWindow>
#include <QString>

#include <memory>
#include <optional>

class BookmarkScanPanel;
class ComFrame;
class DisplayFrame;
class EntryPad;
class FindBar;
class FrameLog;
class HelpMenu;
class MainMenus;
class MemoryController;
class MemoryGrid;
class MemoryPanel;
class ModeFrame;
class NavigationBar;
class RadioBackend;
class RadioCommands;
class RadioSettingsController;
class RadioPoller;
class RadioState;
class SerialLink;
class StepFrame;
class WindowKeyboard;
struct RadioChoice;
struct StartupSettings;

/**
 * The main window: the live radio display, the entry pad, the mode, step, split and scan
 * commands, the memory panel, grid and navigation bar, and the menus. It owns the serial
 * link to the radio. Form_Load puts the radio into a known state before the window is
 * shown; closing the window (QUIT or the close box) closes the port and ends the program.
 *
 * The window reaches the radio through the radio model only (RadioCommands, RadioState):
 * the IC-706 family on its serial line, or any radio through Hamlib or a rigctld
 * (section RADIO, useRadio()). Controls the radio in use cannot serve are off, their
 * tooltips saying why.
 */
class F706 : public QMainWindow {
    Q_OBJECT
public:
    /** appPath: the directory of the settings file, ending in a separator. */
    explicit F706(const QString& appPath, QWidget* parent = nullptr);
    ~F706() override;

    /** Start-up: reads section RADIO (readRadioChoice); for a radio through Hamlib or a
     *  rigctld, opens it (waiting, events running, until it is open or has failed) and goes
     *  on as below with its frames carried by Hamlib, polling every POLL (1 s by default).
     *  Without section RADIO, the IC-706 family on its serial line, as follows.
     *  Reads ADDR706, COMPORT, POLL and STARTUP, opens the port (its menu item is
     *  ticked from the radio state), sends VFO A, FM, split off and the pad's frequency,
     *  each followed by 0.2 s (none with STARTUP=keep), reads the radio's frequency and
     *  mode, loads the bookmark databases and sets the scan dwell. Returns false with
     *  the error when start-up cannot go on (the port cannot be opened, or is lost while
     *  the frames are sent; the window must then not be shown). Returns true early, with
     *  isUnloaded() true, when the window was closed during a wait. */
    bool Form_Load(AppError* error);
    /** After a Form_Load that failed because the port could not be opened: the window goes
     *  on without the radio (no port, no start-up frames, the display dimmed and saying
     *  NO RADIO) with its memories at hand; the "Com Port" menu connects later. */
    void startWithoutRadio();
    /** Form_Load failed because the port named in the settings could not be opened. */
    bool portFailedAtStart() const;

    /** Switches the running window to choice's radio: a running bookmark scan stops, the
     *  radio in use is let go (its port closed, its backend closed), and the chosen one is
     *  opened (the IC-706 family: section SETTINGS's line; Hamlib or a rigctld: waiting,
     *  events running, until it is open or has failed) and read. Does not store choice.
     *  False with the error when it cannot be opened; the window then has no radio until
     *  another is chosen. */
    bool useRadio(const RadioChoice& choice, AppError* error);
    /** The backend in use; nullptr for the IC-706 family on its serial line. */
    RadioBackend* radioBackend() const { return m_backend.get(); }

    // Commands of the upper half; each writes one frame through the radio commands. An
    // indicator (SPLIT, SCAN) changes only when its frame was written.
    void SelezionaVfoA();
    void Cfm_Click();
    void Cmode_Click(quint8 modeCode);
    void Cstep_Click(int index);
    void Csplit_Click();
    void Cscan_Click();
    void Csend_Click();
    /** QUIT and the close box: an edited row that cannot be written (a full disk) is not
     *  dropped unasked; the operator retries, drops it knowingly, or keeps the program. */
    void Cquit_Click();
    /** Ends the program without asking (termination signals, the end of the session). */
    void endProgram();
    /** "Com Port" menu item Mcom(index), index 1..4. */
    void Mcom_Click(int index);
    /** "Com Port" menu item MradioSettings, "Radio settings…". */
    void MradioSettings_Click();
    /** The bookmark scan's START, STOP and speed options OptSpeed(index). */
    void CscanDB_Click();
    void CstopScan_Click();
    void OptSpeed_Click(int index);

    /** The session ends: an open cell editor is committed and the edited row written. */
    void writePendingAtQuit();

    int portNumber() const;
    QString settingsFile() const { return m_settingsFile; }
    /** Stops a running bookmark scan as STOP does; nothing when none runs. */
    void stopBookmarkScan();
    bool isUnloaded() const { return m_unloaded; }
    /** TempoScan: the bookmark-scan dwell in seconds (kept by the bookmark scan). */
    double tempoScan() const;

    // For the tests and the demo: the line, the radio model and the parts they look at.
    SerialLink* link() const;
    RadioState* radioState() const { return m_radio; }
    RadioCommands* radioCommands() const { return m_commands; }
    RadioPoller* radioPoller() const { return m_poller; }
    MainMenus* menus() const { return m_menus; }
    RadioSettingsController* radioSettings() const { return m_radioSettings; }
    DisplayFrame* displayFrame() const { return m_display; }
    EntryPad* entryPad() const { return m_pad; }
    MemoryGrid* memoryGrid() const { return m_grid; }
    NavigationBar* navigationBar() const { return m_nav; }
    FindBar* findBar() const { return m_findBar; }
    HelpMenu* helpMenu() const { return m_help; }
    /** The frame log of the serial link (off until started: --log-frames or the menu). */
    FrameLog* frameLog() const { return m_frameLog; }

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
    MemoryParts memoryParts();
    void connectMemory();
    void connectFind();
    void keepWindowPlace();
    bool openStartupPort(int portNumber, AppError* error);
    /** Opens choice's backend (Hamlib or remote) and waits for it; false with the error. */
    bool openBackend(const RadioChoice& choice, const StartupSettings& settings, AppError* error);
    /** After a serial port opened in place of a backend: the backend goes, the IC-706
     *  family's profile and poller come back. */
    void forgetBackend();
    /** Turns off the controls the radio in use cannot serve, each tooltip saying why. */
    void showAbilities();
    std::optional<AppError> runStartupSequence();
    /** Start-up steps 14-19: the bookmark menu, the current database and the grid's
     *  view. */
    void loadBookmarkDatabases();
    /** The steps after the radio's: the bookmark databases and the scan dwell. */
    void finishStartup();
    void Form_Unload();
    void Form_Resize();
    void connectRadioState();
    void showConnection();
    void showPortClosed();
    void onLineEvent(int code);
    void onPortLost(const AppError& error);
    std::optional<AppError> reopenPort(int portNumber);
    void showComDevices();

    QString m_appPath;
    QString m_settingsFile;
    bool m_unloaded = false;
    bool m_ending = false;  ///< the close under way needs no more asking
    bool m_loaded = false;  ///< start-up is over: a lost port is told in a box
    bool m_lineEventShowing = false;
    bool m_portClosedShown = false;    ///< the status line says PORT CLOSED (until a new text)
    bool m_noRadio = false;            ///< started without the radio; no port opened since
    bool m_waitingForBackend = false;  ///< openBackend() waits: it tells a failure itself

    FrameLog* m_frameLog;
    RadioState* m_radio;
    RadioCommands* m_commands;
    RadioPoller* m_poller;
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
    FindBar* m_findBar = nullptr;
    HelpMenu* m_help = nullptr;
    MemoryController* m_memory = nullptr;
    RadioSettingsController* m_radioSettings = nullptr;
    std::unique_ptr<WindowKeyboard> m_keyboard;
    std::unique_ptr<RadioBackend> m_backend;
};
