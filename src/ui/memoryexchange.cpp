#include "ui/memoryexchange.h"

#include "memory/datafreq.h"
#include "ui/exchangejob.h"
#include "ui/importdialog.h"
#include "ui/mainmenus.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

namespace {

const QString kImportTitle = QStringLiteral("Import memories");
const QString kExportTitle = QStringLiteral("Export memories");
/** Rows listed in the message after an export; the count is always complete. */
constexpr int kListedInMessage = 20;

MemoryExchange::FileChooser& chooser()
{
    static MemoryExchange::FileChooser c;
    return c;
}

QStringList formatFilters()
{
    QStringList filters;
    for (MemoryFormat f : {MemoryFormat::Chirp, MemoryFormat::Gqrx, MemoryFormat::OwnCsv})
        filters.append(formatTitle(f) + QStringLiteral(" (*.csv *.txt)"));
    return filters;
}

/** The format a filter of formatFilters() names, if any. */
std::optional<MemoryFormat> formatOfFilter(const QString& filter)
{
    const QStringList filters = formatFilters();
    const qsizetype index = filters.indexOf(filter);
    return index < 0 ? std::nullopt : std::optional(static_cast<MemoryFormat>(index));
}

MemoryExchange::FileChoice askFile(bool forExport, QWidget* parent, const QString& directory)
{
    if (chooser())
        return chooser()(forExport, parent, directory);
    QString filter;
    if (forExport) {
        filter = formatFilters().first();
        const QString path = QFileDialog::getSaveFileName(
            parent, kExportTitle, directory, formatFilters().join(QStringLiteral(";;")), &filter);
        return {path, formatOfFilter(filter).value_or(MemoryFormat::Chirp)};
    }
    const QString all = QStringLiteral("Memory lists, format guessed (*.csv *.txt)");
    filter = all;
    const QString path = QFileDialog::getOpenFileName(
        parent, kImportTitle, directory,
        (QStringList{all} + formatFilters() + QStringList{QStringLiteral("All files (*)")})
            .join(QStringLiteral(";;")),
        &filter);
    return {path, formatOfFilter(filter)};
}

QString listed(const QList<RowIssue>& issues, qint64 total, const QString& what)
{
    QStringList lines;
    for (qsizetype i = 0; i < issues.size() && i < kListedInMessage; ++i)
        lines.append(
            QStringLiteral("%1 %2: %3").arg(what).arg(issues[i].line).arg(issues[i].reason));
    if (total > lines.size())
        lines.append(QStringLiteral("... and %1 more").arg(total - lines.size()));
    return lines.join(QLatin1Char('\n'));
}

/** Keeps the first issues reported by a worker thread. */
ExchangeCallbacks collecting(const ExchangeCallbacks& base, QList<RowIssue>* issues, int limit)
{
    ExchangeCallbacks callbacks = base;
    callbacks.rowIssue = [issues, limit](const RowIssue& issue) {
        if (issues->size() < limit)
            issues->append(issue);
    };
    return callbacks;
}

}  // namespace

/** One import from the file dialog to the message: the file, the database, the format and
 *  the outcome of the preview and of the import. Shared with the worker thread, which
 *  writes it only while it runs. */
struct MemoryExchange::ImportRun {
    QString file;
    QString database;
    std::optional<MemoryFormat> format;
    ImportResult preview;
    QList<RowIssue> refused;
    ImportResult result;
};

MemoryExchange::MemoryExchange(QWidget* window, MainMenus* menus, DataFreq* data,
                               std::function<ViewOrder()> viewOrder, QObject* parent)
    : QObject(parent), m_window(window), m_viewOrder(std::move(viewOrder)), m_data(data)
{
    QMenu* menu = menus->bookmarksMenu();
    const QList<QAction*> items = menu->actions();
    QAction* before = items.value(items.indexOf(menus->newBookmarkAction()) + 1);
    m_import = new QAction(QStringLiteral("Import memories…"), menu);
    m_import->setObjectName(QStringLiteral("Mimport"));
    m_export = new QAction(QStringLiteral("Export memories…"), menu);
    m_export->setObjectName(QStringLiteral("Mexport"));
    menu->insertActions(before, {m_import, m_export});
    connect(m_import, &QAction::triggered, this, &MemoryExchange::Mimport_Click);
    connect(m_export, &QAction::triggered, this, &MemoryExchange::Mexport_Click);
}

MemoryExchange::~MemoryExchange()
{
    delete m_job;
}

void MemoryExchange::setFileChooser(FileChooser c)
{
    chooser() = std::move(c);
}

QString MemoryExchange::databasePath() const
{
    return m_data->databaseName();
}

ViewOrder MemoryExchange::viewOrder() const
{
    return m_viewOrder();
}

void MemoryExchange::startJob(const QString& label, const QString& unit,
                              std::function<void(const ExchangeCallbacks&)> work,
                              std::function<void()> done)
{
    m_job = new ExchangeJob(m_window, label, unit, std::move(work));
    connect(m_job, &ExchangeJob::finished, this, std::move(done));
    m_import->setEnabled(false);
    m_export->setEnabled(false);
    m_job->start();
}

void MemoryExchange::finishJob()
{
    m_job->deleteLater();
    m_job = nullptr;
    m_import->setEnabled(true);
    m_export->setEnabled(true);
}

// ---------------------------------------------------------------- import

void MemoryExchange::Mimport_Click()
{
    if (m_job)
        return;
    const QString database = databasePath();
    const FileChoice choice = askFile(false, m_window, QFileInfo(database).absolutePath());
    if (choice.path.isEmpty())
        return;
    // An edited row reaches the file first: the import must not meet it half-written.
    AppError error;
    if (!m_data->writePendingRow(&error)) {
        showMessage(m_window, QMessageBox::Critical, kImportTitle, error.text);
        return;
    }
    m_run = std::make_shared<ImportRun>();
    m_run->file = choice.path;
    m_run->database = database;
    startPreview(choice.format);
}

void MemoryExchange::startPreview(std::optional<MemoryFormat> format)
{
    m_run->format = format;
    m_run->refused.clear();
    const std::shared_ptr<ImportRun> run = m_run;
    // The reading counts the file's lines, not its rows: the bar alone shows how far it is.
    startJob(
        QStringLiteral("Reading %1").arg(run->file), QString(),
        [run](const ExchangeCallbacks& base) {
            ImportOptions options;
            options.format = run->format;
            options.dryRun = true;
            run->preview =
                importMemories(run->file, run->database, options,
                               collecting(base, &run->refused, ImportDialog::kMaxListedRows));
        },
        [this] { onPreviewDone(); });
}

void MemoryExchange::onPreviewDone()
{
    finishJob();
    if (m_run->preview.cancelled)
        return;  // the operator stopped the reading: nothing to show, nothing written
    if (!m_run->preview.ok && m_run->preview.encoding.isEmpty()) {
        // Not even readable: there is nothing to preview.
        showMessage(m_window, QMessageBox::Critical, kImportTitle, m_run->preview.error);
        return;
    }
    if (!m_dialog) {
        m_dialog = new ImportDialog(m_window);
        connect(m_dialog, &QDialog::accepted, this, &MemoryExchange::startImport);
        connect(m_dialog, &ImportDialog::formatChosen, this, [this](MemoryFormat format) {
            if (!m_job)
                startPreview(format);
        });
    }
    m_dialog->showPreview(m_run->file, m_run->database, m_run->preview, m_run->refused);
    m_dialog->open();
}

void MemoryExchange::startImport()
{
    const std::shared_ptr<ImportRun> run = m_run;
    run->format = m_dialog->format();
    const bool goodRowsOnly = m_dialog->importsGoodRowsOnly();
    // The preview counted the rows; the bar shows how far through the file the import is.
    startJob(
        QStringLiteral("Adding %1 memories from %2").arg(run->preview.added).arg(run->file),
        QString(),
        [run, goodRowsOnly](const ExchangeCallbacks& callbacks) {
            ImportOptions options;
            options.format = run->format;
            options.skipBad = goodRowsOnly;
            run->result = importMemories(run->file, run->database, options, callbacks);
        },
        [this] { onImportDone(); });
}

void MemoryExchange::onImportDone()
{
    finishJob();
    const ImportResult& result = m_run->result;
    if (!result.ok) {
        showMessage(m_window, result.cancelled ? QMessageBox::Information : QMessageBox::Critical,
                    kImportTitle, result.error);
        return;
    }
    // The grid and the panel show the new rows at once, in the current view.
    AppError error;
    if (!m_data->refresh(&error)) {
        showMessage(m_window, QMessageBox::Critical, kImportTitle, error.text);
        return;
    }
    QString text =
        QStringLiteral("%1 memories added to %2.").arg(result.added).arg(m_run->database);
    if (result.refused > 0)
        text += QStringLiteral("\n%1 rows were not imported (listed before the import).")
                    .arg(result.refused);
    showMessage(m_window, QMessageBox::Information, kImportTitle, text);
}

// ---------------------------------------------------------------- export

void MemoryExchange::Mexport_Click()
{
    if (m_job)
        return;
    const QString database = databasePath();
    const FileChoice choice = askFile(true, m_window, QFileInfo(database).absolutePath());
    if (choice.path.isEmpty())
        return;
    AppError error;
    if (!m_data->writePendingRow(&error)) {
        showMessage(m_window, QMessageBox::Critical, kExportTitle, error.text);
        return;
    }
    const MemoryFormat format = choice.format.value_or(MemoryFormat::Chirp);
    const ViewOrder order = viewOrder();
    auto result = std::make_shared<ExportResult>();
    auto issues = std::make_shared<QList<RowIssue>>();
    m_exportResult = result;
    m_exportIssues = issues;
    const QString file = choice.path;
    startJob(
        QStringLiteral("Writing %1").arg(file), QStringLiteral("rows"),
        [=](const ExchangeCallbacks& base) {
            *result = exportMemories(database, file, format, order,
                                     collecting(base, issues.get(), kListedInMessage));
        },
        [this, file, format] { onExportDone(file, format); });
}

void MemoryExchange::onExportDone(const QString& file, MemoryFormat format)
{
    finishJob();
    const ExportResult& result = *m_exportResult;
    if (!result.ok) {
        showMessage(m_window, result.cancelled ? QMessageBox::Information : QMessageBox::Critical,
                    kExportTitle, result.error);
        return;
    }
    QString text = QStringLiteral("%1 memories written to %2 as %3.")
                       .arg(result.written)
                       .arg(file, formatTitle(format));
    const qint64 issues = result.leftOut + result.remarks;
    if (issues > 0)
        text += QStringLiteral("\n\n%1 rows not written or written differently:\n").arg(issues) +
                listed(*m_exportIssues, issues, QStringLiteral("row"));
    showMessage(m_window, QMessageBox::Information, kExportTitle, text);
}
