#include "ui/hamliblinefields.h"

#include "hamlib/hamlibmodels.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

/** The rates offered for a Hamlib radio's serial line, slowest first. */
constexpr qint32 kHamlibBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr qint32 kHamlibDefaultBaud = 9600;

enum Column { Manufacturer, Model, Status, Number, ColumnCount };

/** Hamlib's registry does not change while the program runs: read once. */
const QList<HamlibModel>& registeredModels()
{
    static const QList<HamlibModel> models = hamlibModels();
    return models;
}

}  // namespace

HamlibLineFields::HamlibLineFields(const QList<PortOffer>& ports, QWidget* parent) : QWidget(parent)
{
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    fillModels();
    addLineRows(ports);
}

void HamlibLineFields::fillModels()
{
    m_models = new QStandardItemModel(0, ColumnCount, this);
    m_models->setHorizontalHeaderLabels({QStringLiteral("Manufacturer"), QStringLiteral("Model"),
                                         QStringLiteral("Status"), QStringLiteral("Number")});
    for (const HamlibModel& model : registeredModels()) {
        QList<QStandardItem*> row{new QStandardItem(model.manufacturer),
                                  new QStandardItem(model.name), new QStandardItem(model.status),
                                  new QStandardItem(QString::number(model.number))};
        for (QStandardItem* item : row)
            item->setEditable(false);
        row[Manufacturer]->setData(model.number, Qt::UserRole);
        row[Number]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_models->appendRow(row);
    }
    m_shown = new QSortFilterProxyModel(this);
    m_shown->setSourceModel(m_models);
    m_shown->setFilterKeyColumn(-1);
    m_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("HamlibModelFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Type part of a name or number: 706MKIIG"));
    m_filter->setClearButtonEnabled(true);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("HamlibModelList"));
    m_list->setAccessibleName(QStringLiteral("Hamlib's radios"));
    m_list->setModel(m_shown);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(Model, QHeaderView::Stretch);
    for (const int column : {Manufacturer, Status, Number})
        m_list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 10);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_shown->setFilterFixedString(text.trimmed());
        // One radio left is the one meant.
        if (m_shown->rowCount() == 1)
            m_list->setCurrentIndex(m_shown->index(0, 0));
    });
    m_filter->installEventFilter(this);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &HamlibLineFields::edited);

    auto* form = static_cast<QFormLayout*>(layout());
    form->addRow(QStringLiteral("&Find a radio:"), m_filter);
    form->addRow(QStringLiteral("&Hamlib's radios:"), m_list);
}

void HamlibLineFields::addLineRows(const QList<PortOffer>& ports)
{
    m_device = new QComboBox(this);
    m_device->setObjectName(QStringLiteral("HamlibDevice"));
    m_device->setEditable(true);
    m_device->setInsertPolicy(QComboBox::NoInsert);
    for (const PortOffer& port : ports) {
        m_device->addItem(port.device);
        m_device->setItemData(m_device->count() - 1, portOfferText(port), Qt::ToolTipRole);
    }
    m_device->lineEdit()->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    m_device->setToolTip(QStringLiteral("The radio's serial port: pick one or type its path"));
    connect(m_device, &QComboBox::editTextChanged, this, &HamlibLineFields::edited);

    m_baud = new QComboBox(this);
    m_baud->setObjectName(QStringLiteral("HamlibBaud"));
    for (const qint32 rate : kHamlibBaudRates)
        m_baud->addItem(QString::number(rate), rate);
    m_baud->setToolTip(QStringLiteral("The baud rate set in the radio's menu"));
    setBaudRate(kHamlibDefaultBaud);
    connect(m_baud, &QComboBox::currentIndexChanged, this, &HamlibLineFields::edited);

    auto* form = static_cast<QFormLayout*>(layout());
    form->addRow(QStringLiteral("Serial &device:"), m_device);
    form->addRow(QStringLiteral("&Baud rate:"), m_baud);
}

bool HamlibLineFields::eventFilter(QObject* watched, QEvent* event)
{
    // Enter or Down in the filter goes on to the list it narrowed; Enter must not also
    // press the dialog's default button.
    if (watched != m_filter || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Down)
        return QWidget::eventFilter(watched, event);
    if (!m_list->currentIndex().isValid() && m_shown->rowCount() > 0)
        m_list->setCurrentIndex(m_shown->index(0, 0));
    m_list->setFocus(Qt::ShortcutFocusReason);
    return true;
}

int HamlibLineFields::model() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows(Manufacturer);
    return rows.isEmpty() ? 0 : rows.first().data(Qt::UserRole).toInt();
}

QString HamlibLineFields::modelText() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows(Manufacturer);
    if (rows.isEmpty())
        return QString();
    return rows.first().data().toString() + QLatin1Char(' ') +
           rows.first().siblingAtColumn(Model).data().toString();
}

void HamlibLineFields::setModel(int number)
{
    const QModelIndexList found = m_models->match(m_models->index(0, Manufacturer), Qt::UserRole,
                                                  number, 1, Qt::MatchExactly);
    if (found.isEmpty()) {
        m_list->clearSelection();
        return;
    }
    QModelIndex shown = m_shown->mapFromSource(found.first());
    if (!shown.isValid()) {
        m_filter->clear();
        shown = m_shown->mapFromSource(found.first());
    }
    m_list->setCurrentIndex(shown);
    m_list->scrollTo(shown, QAbstractItemView::PositionAtCenter);
}

QString HamlibLineFields::device() const
{
    return m_device->currentText().trimmed();
}

void HamlibLineFields::setDevice(const QString& device)
{
    m_device->setEditText(device);
}

qint32 HamlibLineFields::baudRate() const
{
    return m_baud->currentData().toInt();
}

void HamlibLineFields::setBaudRate(qint32 baud)
{
    int index = m_baud->findData(baud);
    if (index < 0) {
        m_baud->addItem(QString::number(baud), baud);
        index = m_baud->count() - 1;
    }
    m_baud->setCurrentIndex(index);
}
