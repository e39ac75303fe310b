#pragma once

#include "common/errorcatalogue.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

/**
 * The dialog "Add new bookmark": creates a bookmark database from the template and lists it
 * in the settings file as entry BookCount + 1. Created once by the window and afterwards only
 * hidden and shown, so both boxes keep what was typed last (CANCEL, the close box and Esc
 * hide it too). The window shows it modal (exec()) from MnewBookmark_Click.
 *
 * ADD (Cadd_Click): the name gets ".MDB" unless it ends in .mdb, blanks are trimmed; a name
 * whose part before the first point is not 1 to 8 characters, or that holds a path ("/",
 * "\", ":" or ".."), or that is the template's own name (EMPTY.MDB in any case), is refused
 * ("Invalid name"); an existing file is replaced only after "Confirm message" is answered
 * Yes, and never when it is the database open now; then the template is copied (through a
 * temporary file, so a failed copy leaves the existing file whole), BOOKnCAPTION and BOOKn
 * are written, bookmarkAdded is emitted and the dialog hides. Every other failure shows "Error
 * #<number>" CR LF <text> titled "Error during add" and leaves the dialog open.
 */
class FaddBook : public QDialog {
    Q_OBJECT
public:
    /** What the dialog needs from the window, read when ADD is pressed. */
    struct Context {
        QString appPath;                           ///< ends with the directory separator
        std::function<int()> bookCount;            ///< BookCount now
        std::function<QString()> currentDatabase;  ///< full path of the open database (NomeDB)
    };

    explicit FaddBook(Context context, QWidget* parent = nullptr);

    void Cadd_Click();
    void Ccancel_Click();

    QLineEdit* descr() const { return m_descr; }
    QLineEdit* nameBook() const { return m_nameBook; }

signals:
    /** A database was created and listed as entry n: the window adds menu entry n with
     *  caption (unticked) and sets BookCount to n. */
    void bookmarkAdded(int n, const QString& caption, const QString& fileName);

private:
    void buildControls();
    /** Steps 1 to 3: the name as stored, or nullopt after the "Invalid name" box. */
    std::optional<QString> checkedName();
    /** Step 4: false when the add must end here (No, or the box already shown). */
    bool mayReplace(const QString& name, const QString& target, bool* replace);
    void showAddError(const AppError& error);

    Context m_context;
    QLabel* m_labelDescr;
    QLineEdit* m_descr;
    QLabel* m_labelName;
    QLineEdit* m_nameBook;
    QPushButton* m_ccancel;
    QPushButton* m_cadd;
};
