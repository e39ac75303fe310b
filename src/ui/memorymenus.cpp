#include "ui/memorymenus.h"

#include "memory/bookmarkfiles.h"
#include "memory/datafreq.h"
#include "settings/inifile.h"
#include "ui/faddbook.h"
#include "ui/gridediting.h"
#include "ui/mainmenus.h"
#include "ui/memoryexchange.h"
#include "ui/messagebox.h"

#include <QAction>

namespace {

const QString kOpenErrorTitle = QStringLiteral("Errore apertura database");
const QString kOpenErrorHint = QStringLiteral("Controllare il file INI e riavviare il software.");

}  // namespace

MemoryMenus::MemoryMenus(const MemoryParts& parts, DataFreq* data, QObject* parent)
    : QObject(parent), m_parts(parts), m_data(data)
{
    connectMenus();
}

void MemoryMenus::connectMenus()
{
    MainMenus* menus = m_parts.menus;
    connect(menus->newBookmarkAction(), &QAction::triggered, this,
            &MemoryMenus::MnewBookmark_Click);
    // "Import memories…", "Export memories…"
    new MemoryExchange(
        m_parts.window, m_parts.menus, m_data, [this] { return m_order; }, this);
    for (int i = 0; i < menus->bookActions().size(); ++i)
        connectBook(i);
    connect(menus->sortNoneAction(), &QAction::triggered, this, &MemoryMenus::Msort_none_Click);
    connect(menus->sortNameAction(), &QAction::triggered, this, &MemoryMenus::Msort_name_Click);
    connect(menus->sortFreqAction(), &QAction::triggered, this, &MemoryMenus::Msort_freq_Click);
    connect(menus->sortScanAction(), &QAction::triggered, this, &MemoryMenus::Msort_scan_Click);
}

void MemoryMenus::connectBook(int index)
{
    QAction* action = m_parts.menus->bookActions().at(index);
    connect(action, &QAction::triggered, this, [this, index] { Mbook_Click(index); });
}

void MemoryMenus::tickBook(int index)
{
    const QList<QAction*>& books = m_parts.menus->bookActions();
    for (int i = 0; i < books.size(); ++i)
        books.at(i)->setChecked(i == index);
    m_currentBook = index;
}

// ---------------------------------------------------------------- bookmark databases

bool MemoryMenus::loadBookmarkDatabases(AppError* error)
{
    MainMenus* menus = m_parts.menus;
    const QList<BookmarkEntry> entries = readBookmarkList(m_parts.settingsFile);
    menus->bookActions().first()->setText(entries.first().caption);
    tickBook(0);
    for (int n = 1; n < entries.size(); ++n) {
        menus->addBookAction(entries.at(n).caption);
        connectBook(n);
    }
    m_bookCount = static_cast<int>(entries.size()) - 1;
    const QString path = m_parts.appPath + entries.first().fileName;
    m_order = ViewOrder::ByName;
    m_onlyScan = false;
    showViewTicks();
    m_data->setRecordSource(viewQuery(m_order, m_onlyScan));
    return openDatabase(path, error);
}

bool MemoryMenus::openDatabase(const QString& path, AppError* error)
{
    // The data control holds the open database's path; NomeDB only shows it.
    m_data->setDatabaseName(path);
    emit databaseChanged(path);
    return m_data->refresh(error);
}

void MemoryMenus::Mbook_Click(int index)
{
    const QString previousPath = m_data->databaseName();
    const int previousBook = m_currentBook;
    AppError pending;
    if (!m_data->writePendingRow(&pending)) {
        // The edited row of the open database cannot be written: that database stays.
        tickBook(previousBook);
        showMessage(m_parts.window, QMessageBox::Critical, QString(), rowNotWrittenText(pending));
        return;
    }
    const QString fileName = ReadINI(m_parts.settingsFile, QString::fromLatin1(kBookmarksSection),
                                     QStringLiteral("BOOK%1").arg(index), QString());
    AppError error;
    if (openDatabase(m_parts.appPath + fileName, &error)) {
        tickBook(index);
        return;
    }
    showMessage(m_parts.window, QMessageBox::Critical, kOpenErrorTitle,
                error.text + QStringLiteral("\r\n") + kOpenErrorHint);
    // Back to the database that was open, so the panel, the grid, the ticks and ADD MEM all
    // name the same file again.
    tickBook(previousBook);
    AppError again;
    if (!openDatabase(previousPath, &again))
        showMessage(m_parts.window, QMessageBox::Critical, kOpenErrorTitle,
                    again.text + QStringLiteral("\r\n") + kOpenErrorHint);
}

void MemoryMenus::MnewBookmark_Click()
{
    if (!m_addDialog) {
        FaddBook::Context context;
        context.appPath = m_parts.appPath;
        context.bookCount = [this] { return m_bookCount; };
        context.currentDatabase = [this] { return m_data->databaseName(); };
        m_addDialog = new FaddBook(std::move(context), m_parts.window);
        connect(m_addDialog, &FaddBook::bookmarkAdded, this, &MemoryMenus::onBookmarkAdded);
    }
    m_addDialog->exec();
}

void MemoryMenus::onBookmarkAdded(int n, const QString& caption)
{
    MainMenus* menus = m_parts.menus;
    menus->addBookAction(caption);
    connectBook(static_cast<int>(menus->bookActions().size()) - 1);
    m_bookCount = n;
}

// ---------------------------------------------------------------- views

void MemoryMenus::Msort_none_Click()
{
    chooseOrder(ViewOrder::None);
}

void MemoryMenus::Msort_name_Click()
{
    chooseOrder(ViewOrder::ByName);
}

void MemoryMenus::Msort_freq_Click()
{
    chooseOrder(ViewOrder::ByFrequency);
}

void MemoryMenus::chooseOrder(ViewOrder order)
{
    applyView(order, m_onlyScan, m_find);
}

void MemoryMenus::Msort_scan_Click()
{
    applyView(m_order, !m_onlyScan, m_find);
}

void MemoryMenus::findMemories(const QString& text)
{
    applyView(m_order, m_onlyScan, text);
}

void MemoryMenus::showViewTicks()
{
    MainMenus* menus = m_parts.menus;
    menus->sortFreqAction()->setChecked(m_order == ViewOrder::ByFrequency);
    menus->sortNoneAction()->setChecked(m_order == ViewOrder::None);
    menus->sortNameAction()->setChecked(m_order == ViewOrder::ByName);
    menus->sortScanAction()->setChecked(m_onlyScan);
}

void MemoryMenus::applyView(ViewOrder order, bool onlyScan, const QString& find)
{
    AppError error;
    if (!m_data->writePendingRow(&error)) {
        // The old rows stay on screen with the edit: so does their view, and its ticks.
        showViewTicks();
        showMessage(m_parts.window, QMessageBox::Critical, QString(),
                    rowNotWrittenText(error) + QStringLiteral("\r\nThe view was not changed."));
        return;
    }
    // The view is kept here; the menu ticks are drawn from it, never read back.
    m_order = order;
    m_onlyScan = onlyScan;
    m_find = find;
    showViewTicks();
    m_data->setRecordSource(viewQuery(order, onlyScan));
    m_data->setFindText(find);
    if (!m_data->refresh(&error)) {
        showMessage(m_parts.window, QMessageBox::Critical, QString(),
                    error.text + QStringLiteral("\r\nThe grid stays empty until the view or "
                                                "the bookmark database is chosen again."));
    }
}
