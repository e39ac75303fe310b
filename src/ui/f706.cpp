#include "ui/f706.h"

#include "common/delay.h"
#include "common/errormessage.h"
#include "hamlib/hamlibdebug.h"
#include "link/portnames.h"
#include "memory/datafreq.h"
#include "profile/radioprofile.h"
#include "radio/framelog.h"
#include "radio/radiobackend.h"
#include "radio/radiocommands.h"
#include "radio/radiopoller.h"
#include "radio/radiostate.h"
#include "settings/apppath.h"
#include "settings/inifile.h"
#include "settings/radiochoice.h"
#include "settings/startupsettings.h"
#include "ui/bookmarkscanpanel.h"
#include "ui/comframe.h"
#include "ui/displayframe.h"
#include "ui/entrypad.h"
#include "ui/findbar.h"
#include "ui/helpmenu.h"
#include "ui/mainmenus.h"
#include "ui/memorycontroller.h"
#include "ui/memorygrid.h"
#include "ui/memorymenus.h"
#include "ui/memorypanel.h"
#include "ui/messagebox.h"
#include "ui/modeframe.h"
#include "ui/navigationbar.h"
#include "ui/radiosettingscontroller.h"
#include "ui/scancontroller.h"
#include "ui/stepframe.h"
#include "ui/uilook.h"
#include "ui/windowkeyboard.h"
#include "ui/windowplace.h"

#include <QAction>
#include <QApplication>

#include <QCloseEvent>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <utility>

namespace {

/** Pause after each start-up frame. */
constexpr std::chrono::milliseconds kStartupPause{200};

// Client area in twips. The height shows the navigation bar whole (7620 + 345).
constexpr int kClientWidth = 9435;
constexpr int kClientHeight = 7965;

// The lower part: the grid from its fixed top down to the navigation bar, which stays
// along the bottom edge of the window.
constexpr int kGridLeft = 120;
constexpr int kGridTop = 5640;
constexpr int kGridWidth = 9135;
constexpr int kGridToBarGap = 45;
constexpr int kMinGridHeight = 600;
constexpr int kBarLeft = 120;
constexpr int kBarWidth = 9240;
constexpr int kBarHeight = 345;
// The grid and the bar keep their right margins and take the rest of the width.
constexpr int kGridRightMargin = kClientWidth - kGridLeft - kGridWidth;
constexpr int kBarRightMargin = kClientWidth - kBarLeft - kBarWidth;
// The find field, when shown, stands above the grid and moves its top down.
constexpr int kFindHeight = 330;
constexpr int kFindToGridGap = 45;

const QString kSelectPortTitle = QStringLiteral("Impossibile impostare parametro");

/** Said when the port fails while start-up sends its frames, before the window is shown. */
AppError lostDuringStartup(const AppError& why, int portNumber)
{
    return {why.number, why.text + QStringLiteral("\r\nThe radio's port (COM %1) went away while "
                                                  "Corvane was starting, so the radio could not "
                                                  "be set up. Check the cable and the radio, "
                                                  "then start Corvane again.")
                                       .arg(portNumber)};
}

}  // namespace

F706::F706(const QString& appPath, QWidget* parent)
    : QMainWindow(parent),
      m_appPath(appPath),
      m_settingsFile(settingsFilePath(appPath)),
      m_frameLog(new FrameLog(this)),
      m_radio(new RadioState(this)),
      m_commands(RadioCommands::withOwnLink(m_radio, this)),
      m_poller(new RadioPoller(m_commands, m_radio, this))
{
    setObjectName(QStringLiteral("F706"));
    setWindowTitle(QStringLiteral("Corvane"));
    setWindowIcon(
        QIcon::fromTheme(QStringLiteral("corvane"), QIcon(QStringLiteral(":/icons/corvane.png"))));
    setFont(look::arial(8.25));
    m_frameLog->watch(m_commands->link());
    // While the frame log runs, Hamlib traces every frame into it (its own hex dumps), as the
    // log shows every frame of the serial line; otherwise only its warnings and errors.
    connect(m_frameLog, &FrameLog::runningChanged, this, [](bool running) {
        HamlibLog::setLevel(running ? HamlibLog::Level::Trace : HamlibLog::Level::Warning);
    });
    buildWindow();
    connectControls();
    m_memory = new MemoryController(memoryParts(), this);
    connectMemory();
    m_radioSettings = new RadioSettingsController(
        {this, link(), m_radio, m_commands, m_settingsFile, [this] { showComDevices(); }}, this);
    connect(m_menus->radioSettingsAction(), &QAction::triggered, this, &F706::MradioSettings_Click);
    // A Hamlib or remote radio chosen in "Radio settings…" is the window's from now on.
    connect(m_radioSettings, &RadioSettingsController::radioChosen, this,
            [this](const RadioChoice& choice) {
                AppError error;
                if (!useRadio(choice, &error))
                    showMessage(this, QMessageBox::Warning, QString(), numberedErrorMessage(error));
            });
    connectFind();
    // The window opens with the pad in focus: typing a frequency and Return sends it.
    m_pad->focusSend();
}

F706::~F706() = default;

SerialLink* F706::link() const
{
    return m_commands->link();
}

void F706::buildWindow()
{
    m_menus = new MainMenus(menuBar());

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("F706Client"));
    look::paint(m_client, look::kNavy, Qt::white);
    setCentralWidget(m_client);

    m_step = new StepFrame(m_client);
    m_mode = new ModeFrame(m_client);
    m_com = new ComFrame(m_client);
    m_display = new DisplayFrame(m_client);
    m_scanPanel = new BookmarkScanPanel(m_client);
    m_pad = new EntryPad(m_client);
    m_memPanel = new MemoryPanel(m_client);
    m_grid = new MemoryGrid(m_client);
    m_nav = new NavigationBar(m_client);
    m_findBar = new FindBar(m_client);
    m_help = new HelpMenu(menuBar(), this, m_frameLog);
    m_help->setSources(m_settingsFile, m_appPath, m_commands, m_radio);
    m_keyboard = std::make_unique<WindowKeyboard>(this, m_client, m_grid, m_pad);

    const int minimumHeight = kGridTop + kMinGridHeight + kGridToBarGap + kBarHeight;
    m_client->setMinimumSize(look::px(this, kClientWidth), look::px(this, minimumHeight));
    m_client->installEventFilter(this);
    resize(look::px(this, kClientWidth),
           look::px(this, kClientHeight) + menuBar()->sizeHint().height());
    showComDevices();
    m_keyboard->setOrder();
}

void F706::connectControls()
{
    connect(m_step, &StepFrame::stepChosen, this, &F706::Cstep_Click);
    connect(m_mode, &ModeFrame::modeChosen, this, &F706::Cmode_Click);
    connect(m_com, &ComFrame::scanRequested, this, &F706::Cscan_Click);
    connect(m_com, &ComFrame::splitRequested, this, &F706::Csplit_Click);
    connect(m_com, &ComFrame::quitRequested, this, &F706::Cquit_Click);
    connect(m_pad, &EntryPad::sendRequested, this, &F706::Csend_Click);
    connect(m_pad, &EntryPad::statusText, m_display->inStringa(), &QLineEdit::setText);
    for (int n = 1; n <= MainMenus::kComCount; ++n)
        connect(m_menus->comAction(n), &QAction::triggered, this, [this, n] { Mcom_Click(n); });

    connect(m_commands, &RadioCommands::lineEvent, this, &F706::onLineEvent);
    connect(m_commands, &RadioCommands::portLost, this, &F706::onPortLost);
    connectRadioState();
}

int F706::portNumber() const
{
    return m_radio->portNumber();
}

// ---------------------------------------------------------------- start-up and shutdown

bool F706::Form_Load(AppError* error)
{
    const std::optional<StartupSettings> settings = readStartupSettings(m_settingsFile, error);
    if (!settings)
        return false;
    const std::optional<RadioChoice> choice = readRadioChoice(m_settingsFile, error);
    if (!choice)
        return false;
    m_commands->setRadioAddress(settings->radioAddress);
    m_commands->setBaudRate(settings->baudRate);
    if (choice->backend != RadioBackendKind::Native) {
        if (!openBackend(*choice, *settings, error))
            return false;
        if (m_unloaded)
            return true;
    } else {
        radioprofile::setCurrent(radioprofile::nativeAt(settings->radioAddress));
        m_poller->setPolling(settings->poll.period, settings->poll.untilAnnounced);
        if (!openStartupPort(settings->portNumber, error))
            return false;
    }

    // STARTUP=keep leaves the radio as it is; either way the radio is then read.
    if (!settings->keepRadio) {
        if (const std::optional<AppError> lost = runStartupSequence()) {
            if (error)
                *error = *lost;
            return false;
        }
        if (m_unloaded)
            return true;
    }
    m_commands->readRadio();
    if (!m_unloaded)
        finishStartup();
    return true;
}

bool F706::portFailedAtStart() const
{
    return !m_loaded && m_radio->connection() == RadioState::Connection::Closed &&
           m_radio->connectionError().number != 0;
}

void F706::startWithoutRadio()
{
    m_noRadio = true;
    showConnection();
    finishStartup();
}

void F706::finishStartup()
{
    loadBookmarkDatabases();
    m_memory->scan()->setTempoScan(BookmarkScan::kStartDwell);
    m_loaded = true;
}

bool F706::openStartupPort(int portNumber, AppError* error)
{
    const RadioCommands::Result failed =
        m_commands->openPort(portNumber, portDevice(portNumber, m_settingsFile));
    if (failed && error)
        *error = *failed;
    return !failed;
}

std::optional<AppError> F706::runStartupSequence()
{
    // VFO A, FM, split off and the pad's frequency, each followed by a pause in which the
    // echoes and answers are shown.
    std::vector<RadioCommands::Step> steps{m_commands->vfoStep(Vfo::A),
                                           m_commands->modeStep(*modeCode(u"FM")),
                                           m_commands->splitStep(false)};
    if (const auto frequency = m_commands->padFrequencyStep(m_pad->digits()))
        steps.push_back(*frequency);
    AppError failure;
    const auto outcome = m_commands->runSequence(steps, kStartupPause, &failure);
    if (outcome == RadioCommands::SequenceOutcome::Aborted || m_unloaded)
        return std::nullopt;
    if (m_radio->connection() == RadioState::Connection::Lost)
        return lostDuringStartup(m_radio->connectionError(), m_radio->portNumber());
    if (outcome != RadioCommands::SequenceOutcome::Sent)
        return lostDuringStartup(failure, m_radio->portNumber());
    return std::nullopt;
}

MemoryParts F706::memoryParts()
{
    MemoryParts parts;
    parts.window = this;
    parts.menus = m_menus;
    parts.grid = m_grid;
    parts.panel = m_memPanel;
    parts.navigation = m_nav;
    parts.statusLine = m_display->inStringa();
    parts.scanPanel = m_scanPanel;
    parts.radio = m_radio;
    parts.commands = m_commands;
    parts.appPath = m_appPath;
    parts.settingsFile = m_settingsFile;
    return parts;
}

void F706::connectMemory()
{
    connect(m_display, &DisplayFrame::addMemoryRequested, m_memory,
            &MemoryController::CaddCurrMem_Click);
    connect(m_pad, &EntryPad::addMemoryRequested, m_memory, &MemoryController::CaddMain_Click);
    connect(m_scanPanel, &BookmarkScanPanel::startRequested, this, &F706::CscanDB_Click);
    connect(m_scanPanel, &BookmarkScanPanel::stopRequested, this, &F706::CstopScan_Click);
    connect(m_scanPanel, &BookmarkScanPanel::speedChosen, this, &F706::OptSpeed_Click);
    connect(this, &F706::aboutToUnload, m_memory, &MemoryController::writePendingAtQuit);
    // A read-only database takes no new memory: both ADD MEM buttons say so by being off.
    connect(m_memory->dataFreq(), &DataFreq::databaseOpened, this, [this](bool readOnly) {
        m_display->setAddMemoryEnabled(!readOnly);
        m_pad->setAddMemoryEnabled(!readOnly);
    });
}

void F706::loadBookmarkDatabases()
{
    m_memory->loadBookmarkDatabases();
}

double F706::tempoScan() const
{
    return m_memory->scan()->tempoScan();
}

void F706::writePendingAtQuit()
{
    m_memory->writePendingAtQuit();
}

void F706::CscanDB_Click()
{
    m_memory->scan()->start();
}

void F706::stopBookmarkScan()
{
    if (m_memory->scan()->scanAttivo())
        CstopScan_Click();
}

void F706::CstopScan_Click()
{
    m_memory->scan()->stop();
}

void F706::OptSpeed_Click(int index)
{
    m_memory->scan()->setSpeed(index);
}

void F706::Cquit_Click()
{
    if (m_unloaded || m_memory->mayQuit())
        endProgram();
}

void F706::endProgram()
{
    m_ending = true;
    close();
}

void F706::closeEvent(QCloseEvent* event)
{
    // The close box asks as QUIT does; QUIT and endProgram have decided already.
    if (!std::exchange(m_ending, false) && !m_unloaded && !m_memory->mayQuit()) {
        event->ignore();
        return;
    }
    keepWindowPlace();
    Form_Unload();
    event->accept();
}

void F706::Form_Unload()
{
    if (m_unloaded)
        return;
    emit aboutToUnload();
    m_unloaded = true;
    m_commands->closePort();
    abortDelays();
    emit unloaded();
}

// ---------------------------------------------------------------- layout

bool F706::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void F706::Form_Resize()
{
    // The navigation bar keeps to the bottom edge and the grid fills the space between
    // its fixed top and the bar; everything above stays where it is.
    const int height = look::twips(m_client, m_client->height());
    const int width = std::max(look::twips(m_client, m_client->width()), kClientWidth);
    const int gridWidth = width - kGridLeft - kGridRightMargin;
    int gridTop = kGridTop;
    if (!m_findBar->isHidden()) {
        look::place(m_findBar, kGridLeft, kGridTop, gridWidth, kFindHeight);
        gridTop += kFindHeight + kFindToGridGap;
    }
    const int barTop = std::max(height - kBarHeight, gridTop + kGridToBarGap);
    const int gridHeight = barTop - kGridToBarGap - gridTop;
    look::place(m_grid, kGridLeft, gridTop, gridWidth, gridHeight);
    look::place(m_nav, kBarLeft, barTop, width - kBarLeft - kBarRightMargin, kBarHeight);
}

void F706::connectFind()
{
    connect(m_menus->findAction(), &QAction::triggered, m_findBar, &FindBar::open);
    connect(m_findBar, &FindBar::shownChanged, this, &F706::Form_Resize);
    connect(m_findBar, &FindBar::findTextChanged, m_memory->menus(), &MemoryMenus::findMemories);
    connect(m_findBar, &FindBar::closedByKey, m_grid, [this] { m_grid->setFocus(); });
}

void F706::keepWindowPlace()
{
    // Only a window the operator has seen has a place worth keeping.
    if (m_unloaded || !isVisible() || isMinimized())
        return;
    AppError error;
    if (!writeWindowPlace(m_settingsFile, normalGeometry(), &error))
        qWarning("corvane: the window's place was not kept: %s", qPrintable(error.text));
}

// ---------------------------------------------------------------- receiving

// ---------------------------------------------------------------- commands

void F706::SelezionaVfoA()
{
    m_commands->selectVfo(Vfo::A);
}

void F706::Cfm_Click()
{
    Cmode_Click(*modeCode(u"FM"));
}

void F706::Cmode_Click(quint8 code)
{
    m_commands->setMode(code);
}

void F706::Cstep_Click(int index)
{
    m_commands->setTuningStep(static_cast<quint8>(index));
}

void F706::Csplit_Click()
{
    // The indicator follows the radio model, which changes only when the frame was written.
    m_commands->setSplit(!m_radio->split());
}

void F706::Cscan_Click()
{
    m_commands->setRadioScan(!m_radio->radioScan());
}

void F706::Csend_Click()
{
    // SEND is enabled only for nine digits; a partial entry sends nothing.
    m_commands->setFrequencyFromPad(m_pad->digits());
}

// ---------------------------------------------------------------- keyboard

void F706::keyPressEvent(QKeyEvent* event)
{
    if (!m_keyboard->handleKey(event))
        QMainWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------- port selection

void F706::showComDevices()
{
    for (int n = 1; n <= MainMenus::kComCount; ++n)
        m_menus->setComDevice(n, portDevice(n, m_settingsFile));
}

std::optional<AppError> F706::reopenPort(int portNumber)
{
    return m_commands->openPort(portNumber, portDevice(portNumber, m_settingsFile));
}

void F706::MradioSettings_Click()
{
    m_radioSettings->edit();
}

void F706::Mcom_Click(int index)
{
    showComDevices();
    const int previous = m_radio->portNumber();
    if (const std::optional<AppError> failed = reopenPort(index)) {
        // One box: why the chosen port failed, what to do, and where the radio is now.
        QString text =
            failed->text + QStringLiteral("\r\n") + portOpenAdvice(failed->number, index) +
            QStringLiteral(" Then choose \"COM %1\" again from the \"Com Port\" menu.").arg(index);
        if (previous < 1) {
            text += QStringLiteral("\r\nThe radio is not connected until a port opens.");
        } else if (const std::optional<AppError> again = reopenPort(previous)) {
            text += QStringLiteral(
                        "\r\nCOM %1, the port used before, could not be opened again "
                        "either (%2): the radio is not connected until a port opens.")
                        .arg(previous)
                        .arg(again->text);
        } else {
            text += QStringLiteral("\r\nCorvane goes on with COM %1.").arg(previous);
        }
        showMessage(this, QMessageBox::Warning, kSelectPortTitle, text);
        showConnection();  // the triggered item toggled its own tick: draw it again
        return;
    }
    showConnection();
    AppError error;
    if (!WriteINI(m_settingsFile, QString::fromLatin1(kSettingsSection),
                  QString::fromLatin1(kPortKey), QString::number(index), &error)) {
        showMessage(this, QMessageBox::Warning, QString(),
                    QStringLiteral("COM %1 is in use now, but the choice could not be stored:"
                                   "\r\n%2\r\nThe next start will open the port stored before.")
                        .arg(index)
                        .arg(error.text));
    }
}
