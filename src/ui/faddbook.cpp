#include "ui/faddbook.h"

#include "common/errormessage.h"
#include "memory/bookmarkfiles.h"
#include "settings/apppath.h"
#include "ui/messagebox.h"
#include "ui/uilook.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

/** Client area of the dialog, in twips. */
constexpr int kClientWidth = 5355;
constexpr int kClientHeight = 1920;

const QString kTitle = QStringLiteral("Add new bookmark");
const QString kAddErrorTitle = QStringLiteral("Error during add");

}  // namespace

FaddBook::FaddBook(Context context, QWidget* parent)
    : QDialog(parent), m_context(std::move(context))
{
    setObjectName(QStringLiteral("FaddBook"));
    setWindowTitle(kTitle);
    buildControls();
    connect(m_cadd, &QPushButton::clicked, this, &FaddBook::Cadd_Click);
    connect(m_ccancel, &QPushButton::clicked, this, &FaddBook::Ccancel_Click);
}

void FaddBook::buildControls()
{
    m_labelDescr = new QLabel(QStringLiteral("DESCRIPTION:"), this);
    m_labelDescr->setObjectName(QStringLiteral("LabelDescr"));
    m_descr = new QLineEdit(this);
    m_descr->setObjectName(QStringLiteral("Descr"));
    m_labelName = new QLabel(QStringLiteral("NAME:"), this);
    m_labelName->setObjectName(QStringLiteral("LabelName"));
    m_nameBook = new QLineEdit(this);
    m_nameBook->setObjectName(QStringLiteral("NameBook"));
    m_ccancel = new QPushButton(QStringLiteral("CANCEL"), this);
    m_ccancel->setObjectName(QStringLiteral("Ccancel"));
    m_cadd = new QPushButton(QStringLiteral("ADD"), this);
    m_cadd->setObjectName(QStringLiteral("Cadd"));
    // Neither button is the default: Enter in a box does not add.
    m_ccancel->setAutoDefault(false);
    m_cadd->setAutoDefault(false);

    setFixedSize(look::px(this, kClientWidth), look::px(this, kClientHeight));
    look::place(m_labelDescr, 270, 270, 1230, 240);
    look::place(m_descr, 1575, 225, 3480, 330);
    look::place(m_labelName, 270, 765, 1230, 240);
    look::place(m_nameBook, 1575, 675, 3480, 330);
    look::place(m_ccancel, 765, 1350, 1185, 375);
    look::place(m_cadd, 3375, 1350, 1185, 375);

    // Tab order: Cadd 0, Ccancel 1, LabelDescr 2, Descr 3, NameBook 4, LabelName 5 (the
    // labels take no focus). Cadd, first in the order, has the focus when the dialog opens.
    setTabOrder(m_cadd, m_ccancel);
    setTabOrder(m_ccancel, m_descr);
    setTabOrder(m_descr, m_nameBook);
    m_cadd->setFocus();
}

void FaddBook::Ccancel_Click()
{
    hide();
}

std::optional<QString> FaddBook::checkedName()
{
    const QString name = bookmarkFileName(m_nameBook->text());
    m_nameBook->setText(name);
    const bool isTemplate = isTemplateName(name) ||
                            isSameFile(m_context.appPath + name, templatePath(m_context.appPath));
    if (isValidBookmarkName(name) && !isTemplate)
        return name;
    showMessage(this, QMessageBox::Warning, QStringLiteral("Invalid name"),
                isTemplate ? QString::fromLatin1(kTemplateFileName) +
                                 QStringLiteral(" is the template of every new bookmark "
                                                "database: choose another name")
                           : QStringLiteral("The name must be 8+3 characters (with no path)"));
    m_nameBook->clear();
    m_nameBook->setFocus();
    return std::nullopt;
}

bool FaddBook::mayReplace(const QString& name, const QString& target, bool* replace)
{
    *replace = false;
    if (!QFileInfo::exists(target))
        return true;
    const MessageRequest ask{QMessageBox::Warning, QStringLiteral("Confirm message"),
                             name + QStringLiteral(" already exists. Overwrite it?"),
                             QMessageBox::Yes | QMessageBox::No};
    if (showMessage(this, ask) != QMessageBox::Yes)
        return false;
    const QString open = m_context.currentDatabase ? m_context.currentDatabase() : QString();
    if (isSameFile(target, open)) {
        // Deleting it would pull the file from under the grid that shows it.
        showAddError(AppError::withDetail(
            errors::kPermissionDenied, name + QStringLiteral(" is the bookmark database in use")));
        return false;
    }
    *replace = true;
    return true;
}

void FaddBook::showAddError(const AppError& error)
{
    showMessage(this, QMessageBox::Critical, kAddErrorTitle, numberedErrorMessage(error));
}

void FaddBook::Cadd_Click()
{
    const std::optional<QString> name = checkedName();
    if (!name)
        return;
    const QString appPath = m_context.appPath;
    const QString target = appPath + *name;
    bool replace = false;
    if (!mayReplace(*name, target, &replace))
        return;

    const int n = (m_context.bookCount ? m_context.bookCount() : 0) + 1;
    if (n > kMaxBookCount) {  // checked before any file is touched
        showAddError(AppError::fromNumber(errors::kOverflow));
        return;
    }
    AppError error;
    if (!createFromTemplate(templatePath(appPath), target, replace, &error)) {
        showAddError(error);
        return;
    }
    const QString caption = m_descr->text();
    if (!writeBookmarkEntry(settingsFilePath(appPath), n, caption, *name, &error)) {
        // A new file that no entry lists would only lie about in the folder. A replaced one
        // has lost its old content already, and another entry may name it: it stays.
        if (!replace)
            QFile::remove(target);
        showAddError(error);
        return;
    }
    emit bookmarkAdded(n, caption, *name);
    hide();
}
