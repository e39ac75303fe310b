#include "ui/importdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

ImportDialog::ImportDialog(QWidget* parent)
    : QDialog(parent),
      m_summary(new QLabel(this)),
      m_format(new QComboBox(this)),
      m_refused(new QPlainTextEdit(this)),
      m_import(new QPushButton(this))
{
    setObjectName(QStringLiteral("importDialog"));
    setWindowTitle(QStringLiteral("Import memories"));
    setWindowModality(Qt::WindowModal);
    m_summary->setObjectName(QStringLiteral("importSummary"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_format->setObjectName(QStringLiteral("importFormat"));
    for (MemoryFormat f : {MemoryFormat::Chirp, MemoryFormat::Gqrx, MemoryFormat::OwnCsv})
        m_format->addItem(formatTitle(f), static_cast<int>(f));
    m_refused->setObjectName(QStringLiteral("importRefused"));
    m_refused->setReadOnly(true);
    m_refused->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_import->setObjectName(QStringLiteral("importButton"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(m_import, QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_format, &QComboBox::activated, this, [this] { emit formatChosen(format()); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Read as:"), m_format);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_summary);
    layout->addWidget(m_refused, 1);
    layout->addWidget(buttons);
}

void ImportDialog::showPreview(const QString& file, const QString& database,
                               const ImportResult& preview, const QList<RowIssue>& refused)
{
    m_format->setCurrentIndex(m_format->findData(static_cast<int>(preview.format)));
    QString text = QStringLiteral("File: %1\nEncoding: %2\n\n")
                       .arg(QDir::toNativeSeparators(file), preview.encoding);
    if (!preview.ok) {
        text += preview.error;
    } else {
        text += QStringLiteral("%1 memories will be added to %2.")
                    .arg(preview.added)
                    .arg(QDir::toNativeSeparators(database));
        if (preview.refused > 0)
            text += QStringLiteral("\n%1 rows cannot be imported:").arg(preview.refused);
    }
    m_summary->setText(text);

    QStringList lines;
    for (const RowIssue& issue : refused)
        lines.append(QStringLiteral("line %1: %2").arg(issue.line).arg(issue.reason));
    if (preview.refused > refused.size())
        lines.append(QStringLiteral("... and %1 more").arg(preview.refused - refused.size()));
    m_refused->setPlainText(lines.join(QLatin1Char('\n')));
    m_refused->setVisible(!lines.isEmpty());
    // Room for the list of refused rows only when there is one; otherwise the dialog is as
    // high as its summary needs.
    constexpr int kWidth = 640;
    constexpr int kHeightWithList = 420;
    layout()->activate();
    const int fitted = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(kWidth)
                                                     : layout()->totalSizeHint().height();
    resize(kWidth, lines.isEmpty() ? fitted : kHeightWithList);

    m_goodRowsOnly = preview.refused > 0;
    m_import->setText(m_goodRowsOnly ? QStringLiteral("Import the %1 good rows").arg(preview.added)
                                     : QStringLiteral("Import"));
    m_import->setEnabled(preview.ok && preview.added > 0);
    m_import->setDefault(m_import->isEnabled());
}

MemoryFormat ImportDialog::format() const
{
    return static_cast<MemoryFormat>(m_format->currentData().toInt());
}
