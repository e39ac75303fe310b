#pragma once

#include "exchange/memoryimport.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

/**
 * "Import memories": what an import will do before it does anything. Shows the file, the
 * format it is read as (guessed, and can be chosen), its encoding, how many memories will
 * be added to which database, and every row that cannot be, with its line and reason.
 * Nothing is written until the operator presses the import button; with refused rows that
 * button imports the good rows only.
 */
class ImportDialog : public QDialog {
    Q_OBJECT
public:
    /** Refused rows listed at most; the count above the list is always complete. */
    static constexpr int kMaxListedRows = 10000;

    explicit ImportDialog(QWidget* parent);

    /** Shows the outcome of a dry run of file into database. */
    void showPreview(const QString& file, const QString& database, const ImportResult& preview,
                     const QList<RowIssue>& refused);
    MemoryFormat format() const;
    /** True when rows were refused and the import puts in the good ones only. */
    bool importsGoodRowsOnly() const { return m_goodRowsOnly; }

signals:
    /** The operator chose another format: the preview must be made again. */
    void formatChosen(MemoryFormat format);

private:
    QLabel* m_summary;
    QComboBox* m_format;
    QPlainTextEdit* m_refused;
    QPushButton* m_import;
    bool m_goodRowsOnly = false;
};
