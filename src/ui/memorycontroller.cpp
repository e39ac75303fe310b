#include "ui/memorycontroller.h"

#include "common/errormessage.h"
#include "memory/datafreq.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "ui/gridediting.h"
#include "ui/memorygrid.h"
#include "ui/memorymenus.h"
#include "ui/memorypanel.h"
#include "ui/messagebox.h"
#include "ui/navigationbar.h"
#include "ui/scancontroller.h"

#include <QApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

const QString kRecallTitle = QStringLiteral("Recall");
const QString kWriteErrorTitle = QStringLiteral("Error writing memory");

/** The wait cursor for as long as it lives: restored on every way out. */
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

/** A null part adds nothing between the points. */
QString joinedParts(const QVariant& first, const QVariant& second, const QVariant& third)
{
    return first.toString() + QLatin1Char('.') + second.toString() + QLatin1Char('.') +
           third.toString();
}

}  // namespace

MemoryController::MemoryController(const MemoryParts& parts, QObject* parent)
    : QObject(parent), m_parts(parts), m_data(new DataFreq(this))
{
    m_menus = new MemoryMenus(parts, m_data, this);
    m_scan = new ScanController(
        parts.scanPanel, m_data, [this](AppError* error) { return recallForScan(error); },
        parts.window, this);
    setUpGrid();
    connectControls();
}

MemoryController::~MemoryController() = default;

void MemoryController::setUpGrid()
{
    m_grid = m_parts.grid;
    GridEditing* editing = m_grid->showMemories(m_data);
    editing->setStatusLine(m_parts.statusLine);
}

void MemoryController::connectControls()
{
    connect(m_data, &DataFreq::repositioned, this, &MemoryController::DataFreq_Reposition);
    connect(m_data, &DataFreq::rowWriteFailed, this, &MemoryController::onRowWriteFailed);
    connect(m_data, &DataFreq::readFailed, this, &MemoryController::onReadFailed);
    connect(m_data->model(), &QAbstractItemModel::dataChanged, this,
            &MemoryController::onModelDataChanged);
    connect(m_parts.grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MemoryController::followGrid);

    NavigationBar* bar = m_parts.navigation;
    connect(bar, &NavigationBar::moveFirstRequested, m_data, &DataFreq::moveFirst);
    connect(bar, &NavigationBar::movePreviousRequested, m_data, &DataFreq::movePrevious);
    connect(bar, &NavigationBar::moveNextRequested, m_data, &DataFreq::moveNext);
    connect(bar, &NavigationBar::moveLastRequested, m_data, &DataFreq::moveLast);

    connect(m_parts.panel, &MemoryPanel::recallRequested, this, &MemoryController::Crecall_Click);
    connect(m_menus, &MemoryMenus::databaseChanged, m_parts.panel, &MemoryPanel::setDatabasePath);

    connect(qApp, &QApplication::focusChanged, this, &MemoryController::onFocusChanged);
    m_parts.window->installEventFilter(this);
    // Rows another program adds or changes (corvane-memories, a second window) are shown
    // when the window is activated and otherwise within a few seconds.
    m_outsideChanges.setInterval(kOutsideChangeCheckMs);
    connect(&m_outsideChanges, &QTimer::timeout, this, &MemoryController::showOutsideChanges);
    m_outsideChanges.start();
}

// ---------------------------------------------------------------- start-up

void MemoryController::loadBookmarkDatabases()
{
    AppError error;
    if (!m_menus->loadBookmarkDatabases(&error))
        m_startupError = error;
}

bool MemoryController::eventFilter(QObject* watched, QEvent* event)
{
    // The default database is opened as the window appears; a failure is told then, over
    // the window, and the grid stays empty.
    if (watched == m_parts.window && event->type() == QEvent::Show && m_startupError)
        QTimer::singleShot(0, this, &MemoryController::showStartupError);
    if (watched == m_parts.window && event->type() == QEvent::WindowActivate)
        QTimer::singleShot(0, this, &MemoryController::showOutsideChanges);
    return QObject::eventFilter(watched, event);
}

void MemoryController::showOutsideChanges()
{
    // Never under the operator's hands: not while a row is edited or a cell editor is
    // open, nor while the bookmark scan steps through the records.
    if (m_data->hasPendingRow() || (m_grid && m_grid->isEditing()) || m_scan->scanAttivo() ||
        !m_data->changedOutside())
        return;
    AppError error;
    if (!m_data->refreshKeepingRecord(&error))
        showMessage(m_parts.window, QMessageBox::Critical, QString(), error.text);
}

void MemoryController::showStartupError()
{
    if (!m_startupError)
        return;
    const AppError error = *m_startupError;
    m_startupError.reset();
    showMessage(m_parts.window, QMessageBox::Critical, QString(), error.text);
}

// ---------------------------------------------------------------- panel and grid

void MemoryController::DataFreq_Reposition()
{
    if (m_data->recordCount() < 1) {
        emptyPanel();
        return;
    }
    if (m_data->isEof()) {
        // Past the last record: back to it, except while the bookmark scan runs, which
        // tests the end to start its next pass.
        if (!m_scan->scanAttivo())
            m_data->moveLast();
        return;
    }
    AggiornaFrameMem();
    showDataRowInGrid();
}

std::optional<MemorySnapshot> MemoryController::currentMemory() const
{
    if (m_data->recordCount() < 1 || m_data->isEof())
        return std::nullopt;
    auto field = [this](const char* name) { return m_data->field(QString::fromLatin1(name)); };
    MemorySnapshot memory;
    memory.name = field("Name").toString();
    memory.mainFreq = joinedParts(field("MHz"), field("KHz"), field("Hz"));
    memory.split = field("Split").toBool();
    if (memory.split)
        memory.splitFreq = joinedParts(field("sMHz"), field("sKHz"), field("sHz"));
    memory.mode = field("Mode").toString();
    return memory;
}

void MemoryController::AggiornaFrameMem()
{
    const std::optional<MemorySnapshot> memory = currentMemory();
    if (!memory)
        return;  // no current record: the panel keeps what it shows
    m_parts.panel->showMemory(*memory);
}

void MemoryController::onModelDataChanged(const QModelIndex& topLeft,
                                          const QModelIndex& bottomRight)
{
    // An edit of the current row, or its write, shows in the panel at once.
    const int row = m_data->currentRow();
    if (row >= topLeft.row() && row <= bottomRight.row())
        AggiornaFrameMem();
}

void MemoryController::emptyPanel()
{
    m_parts.panel->clearMemory();
}

void MemoryController::showDataRowInGrid()
{
    MemoryGrid* grid = m_parts.grid;
    const int row = m_data->currentRow();
    if (row < 0 || row >= m_data->recordCount())
        return;
    const QModelIndex current = grid->currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    const int column = current.isValid() ? current.column() : 0;
    const QScopedValueRollback<bool> guard(m_followingData, true);
    grid->setCurrentIndex(m_data->model()->index(row, column));
}

void MemoryController::followGrid(const QModelIndex& current)
{
    if (m_followingData || !current.isValid())
        return;
    m_data->moveTo(current.row());
    // A row write that failed keeps DataFreq on the edited row: the grid goes back there.
    if (m_data->currentRow() != current.row())
        showDataRowInGrid();
}

void MemoryController::onRowWriteFailed(const AppError& error)
{
    // During a running scan the scan halts and reports the failure itself.
    if (m_scan->state() == BookmarkScan::State::Scanning)
        return;
    showMessage(m_parts.window, QMessageBox::Critical, QString(), rowNotWrittenText(error));
}

void MemoryController::onReadFailed(const AppError& error)
{
    showMessage(m_parts.window, QMessageBox::Critical, QString(),
                error.text + QStringLiteral("\r\nSome memories cannot be shown or edited until "
                                            "the database is read again."));
}

void MemoryController::onFocusChanged(QWidget* old, QWidget* now)
{
    // The grid ends the row's editing when the operator goes on to another control of the
    // window; boxes and the mode pop-up are windows of their own and do not count.
    // The grid is held by a guarded pointer: focus also moves while the window is destroyed.
    const QWidget* grid = m_grid.data();
    if (!grid || !old || !now || !m_data->hasPendingRow() || now->window() != m_parts.window)
        return;
    const bool wasInGrid = old == grid || grid->isAncestorOf(old);
    const bool isInGrid = now == grid || grid->isAncestorOf(now);
    // QUIT writes the row itself, and asks what to do when it cannot (mayQuit).
    const bool toQuit = now->objectName() == QLatin1String("Cquit");
    if (wasInGrid && !isInGrid && !toQuit)
        writePendingRow();
}

void MemoryController::writePendingAtQuit()
{
    // Nothing typed is lost at quit: an open cell editor is committed under the cell rules,
    // then the edited row is written.
    if (m_grid)
        m_grid->commitOpenEditor();
    writePendingRow();
}

bool MemoryController::mayQuit()
{
    if (m_grid)
        m_grid->commitOpenEditor();
    AppError error;
    while (m_data->hasPendingRow() && !m_data->writePendingRow(&error)) {
        const MessageRequest request{
            QMessageBox::Critical, QString(),
            error.text + QStringLiteral("\r\nThe edited memory is not saved. Retry after making "
                                        "room, Discard to quit without the edit, or Cancel to "
                                        "go on with the program."),
            QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel};
        switch (showMessage(m_parts.window, request)) {
            case QMessageBox::Retry:
                break;
            case QMessageBox::Discard:
                m_data->discardPendingRow();
                return true;
            default:
                return false;
        }
    }
    return true;
}

bool MemoryController::writePendingRow()
{
    AppError error;
    if (m_data->writePendingRow(&error)) {
        AggiornaFrameMem();
        return true;
    }
    showMessage(m_parts.window, QMessageBox::Critical, QString(), error.text);
    return false;
}

// ---------------------------------------------------------------- recall

Recall::Outcome MemoryController::runRecall(AppError* error)
{
    // The memory is copied now: a row change or the scan moving on during the recall's
    // pauses changes nothing of what is sent.
    const std::optional<MemorySnapshot> memory = currentMemory();
    if (!memory)
        return Recall::Outcome::NothingShown;
    const WaitCursor wait;
    Recall recall(m_parts.commands, *memory);
    return recall.run(error);
}

void MemoryController::Crecall_Click()
{
    AppError error;
    switch (runRecall(&error)) {
        case Recall::Outcome::Refused:
            showMessage(m_parts.window, QMessageBox::Warning, kRecallTitle,
                        error.text + QStringLiteral("\r\nNothing was sent to the radio."));
            break;
        case Recall::Outcome::Failed:
            showMessage(m_parts.window, QMessageBox::Critical, kRecallTitle,
                        numberedErrorMessage(error) +
                            QStringLiteral("\r\nThe radio may be set only in part."));
            break;
        case Recall::Outcome::Sent:
        case Recall::Outcome::NothingShown:
        case Recall::Outcome::Aborted:
            break;
    }
}

bool MemoryController::recallForScan(AppError* error)
{
    const Recall::Outcome outcome = runRecall(error);
    return outcome != Recall::Outcome::Refused && outcome != Recall::Outcome::Failed;
}

// ---------------------------------------------------------------- adding

void MemoryController::CaddCurrMem_Click()
{
    // What the radio last told, from the radio model: the display only shows it.
    const RadioState* radio = m_parts.radio;
    QString refusal;
    const std::optional<NewMemory> memory =
        memoryFromDisplay(radio->frequencyText(), radio->modeName(), &refusal);
    addMemory(memory, refusal);
}

void MemoryController::CaddMain_Click(const QString& padDigits)
{
    // The pad's keyed value, one digit an entry; a partial entry is refused.
    QStringList digits;
    for (const QChar digit : padDigits)
        digits.append(QString(digit));
    QString refusal;
    const std::optional<NewMemory> memory =
        memoryFromPad(digits, m_parts.radio->modeName(), &refusal);
    addMemory(memory, refusal);
}

void MemoryController::addMemory(const std::optional<NewMemory>& memory, const QString& refusal)
{
    if (!memory) {
        showMessage(m_parts.window, QMessageBox::Critical, kWriteErrorTitle,
                    refusal + QStringLiteral("\r\nNothing was stored."));
        return;
    }
    AppError error;
    qint64 key = 0;
    if (!MemoryWriter::addMemory(m_data->databaseName(), *memory, &error, &key)) {
        showMessage(m_parts.window, QMessageBox::Critical, kWriteErrorTitle,
                    numberedErrorMessage(error, ErrorHeading::Errore));
        return;
    }
    // The grid shows the new row in place, and the operator names it there: the focus goes
    // to its Name cell.
    if (!m_data->showAddedRow(key, &error)) {
        showMessage(m_parts.window, QMessageBox::Critical, QString(), error.text);
        return;
    }
    const int row = m_data->rowOfAdded(key);
    if (row < 0 || !m_grid)
        return;  // the view leaves it out (only scan memories)
    m_grid->setCurrentIndex(m_data->model()->index(row, memcol::kName));
    m_grid->setFocus(Qt::OtherFocusReason);
}
