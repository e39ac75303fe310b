#pragma once

#include "exchange/memoryexport.h"
#include "exchange/memoryimport.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class DataFreq;
class ExchangeJob;
class MainMenus;
class QWidget;
class ImportDialog;
class QAction;

/**
 * The items "Import memories…" (Mimport) and "Export memories…" (Mexport) of the
 * "&Bookmarks" menu, on the current bookmark database (the file NomeDB names).
 *
 * Import: a file dialog, then a dry run of the whole file, then the dialog ImportDialog
 * with what will be added and every row that cannot be; on confirmation the import runs
 * (one transaction) and DataFreq is refreshed, so the grid and the panel show the new rows
 * in the current view. Export: a file dialog whose filter chooses the format, then every
 * row in the current view's order (all rows, whatever the filter). Long work runs in an
 * ExchangeJob (progress, Cancel); the result and every failure are told in a message box.
 */
class MemoryExchange : public QObject {
    Q_OBJECT
public:
    /** A file the operator chose, and the format when the dialog's filter named one. */
    struct FileChoice {
        QString path;  ///< empty: the operator cancelled
        std::optional<MemoryFormat> format;
    };
    /** Asks for a file: to read (forExport false) or to write. */
    using FileChooser =
        std::function<FileChoice(bool forExport, QWidget* parent, const QString& directory)>;

    /** viewOrder: the order of the view shown now, which an export follows. */
    MemoryExchange(QWidget* window, MainMenus* menus, DataFreq* data,
                   std::function<ViewOrder()> viewOrder, QObject* parent = nullptr);
    ~MemoryExchange() override;

    void Mimport_Click();
    void Mexport_Click();

    /** Replaces the file dialogs (tests). An empty chooser restores them. */
    static void setFileChooser(FileChooser chooser);

private:
    struct ImportRun;

    QString databasePath() const;
    ViewOrder viewOrder() const;
    void startPreview(std::optional<MemoryFormat> format);
    void onPreviewDone();
    void startImport();
    void onImportDone();
    void onExportDone(const QString& file, MemoryFormat format);
    /** Runs work on its own thread behind a progress dialog labelled label; done is called
     *  when it has ended. Import and export are off meanwhile. */
    void startJob(const QString& label, const QString& unit,
                  std::function<void(const ExchangeCallbacks&)> work, std::function<void()> done);
    void finishJob();

    QWidget* m_window;
    std::function<ViewOrder()> m_viewOrder;
    DataFreq* m_data;
    QAction* m_import;
    QAction* m_export;
    QPointer<ImportDialog> m_dialog;
    ExchangeJob* m_job = nullptr;
    std::shared_ptr<ImportRun> m_run;
    std::shared_ptr<ExportResult> m_exportResult;
    std::shared_ptr<QList<RowIssue>> m_exportIssues;
};
