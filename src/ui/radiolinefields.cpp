#include "ui/radiolinefields.h"

#include "settings/startupsettings.h"
#include "ui/radiocheck.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSpinBox>

namespace {

QString modelText(const RadioProfile& model)
{
    return QStringLiteral("%1 (address %2)")
        .arg(model.displayName(), addressCaption(model.defaultAddress));
}

}  // namespace

RadioLineFields::RadioLineFields(const QList<PortOffer>& ports, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    addPortRows(ports);
    addRadioRows();
}

void RadioLineFields::addPortRows(const QList<PortOffer>& ports)
{
    m_portList = new QListWidget(this);
    m_portList->setObjectName(QStringLiteral("PortList"));
    for (const PortOffer& port : ports) {
        auto* item = new QListWidgetItem(portOfferText(port), m_portList);
        item->setData(Qt::UserRole, port.device);
        item->setToolTip(port.device);
    }
    m_portPath = new QLineEdit(this);
    m_portPath->setObjectName(QStringLiteral("PortPath"));
    m_portPath->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    // The path follows the port the operator selects, not the list's current row: a list
    // that takes the focus makes its first row current without selecting it, and that must
    // not replace the device in use.
    connect(m_portList, &QListWidget::itemSelectionChanged, m_portPath, [this] {
        const QList<QListWidgetItem*> selected = m_portList->selectedItems();
        if (!selected.isEmpty())
            m_portPath->setText(selected.first()->data(Qt::UserRole).toString());
    });
    // A typed path is no longer the listed port: picking that port again fills it back.
    connect(m_portPath, &QLineEdit::textEdited, m_portList, [this] {
        m_portList->setCurrentRow(-1);
        m_portList->clearSelection();
    });
    if (!ports.isEmpty())
        m_portList->setCurrentRow(0);
    connect(m_portPath, &QLineEdit::textChanged, this, &RadioLineFields::edited);

    auto* form = static_cast<QFormLayout*>(layout());
    form->addRow(QStringLiteral("Serial ports found:"), m_portList);
    form->addRow(QStringLiteral("Port:"), m_portPath);
}

void RadioLineFields::addRadioRows()
{
    m_model = new QComboBox(this);
    m_model->setObjectName(QStringLiteral("RadioModel"));
    for (const RadioProfile* model : kNativeProfiles)
        m_model->addItem(modelText(*model), model->defaultAddress);
    m_address = new QSpinBox(this);
    m_address->setObjectName(QStringLiteral("RadioAddress"));
    m_address->setRange(0, kHighestRadioAddress);
    m_address->setValue(kNativeProfiles[0]->defaultAddress);
    m_address->setToolTip(QStringLiteral("CI-V address in decimal, as set in the radio's menu"));
    connect(m_model, &QComboBox::currentIndexChanged, m_address,
            [this](int index) { m_address->setValue(m_model->itemData(index).toInt()); });
    connect(m_address, &QSpinBox::valueChanged, this, &RadioLineFields::edited);

    m_baud = new QComboBox(this);
    m_baud->setObjectName(QStringLiteral("BaudRate"));
    for (const int rate : kOfferedBaudRates)
        m_baud->addItem(QString::number(rate), rate);
    m_baud->setToolTip(QStringLiteral("CI-V baud rate, as set in the radio's menu"));
    setBaudRate(kDefaultBaudRate);
    connect(m_baud, &QComboBox::currentIndexChanged, this, &RadioLineFields::edited);

    auto* form = static_cast<QFormLayout*>(layout());
    form->addRow(QStringLiteral("Radio:"), m_model);
    form->addRow(QStringLiteral("CI-V address:"), m_address);
    form->addRow(QStringLiteral("Baud rate:"), m_baud);
}

QString RadioLineFields::device() const
{
    return m_portPath->text().trimmed();
}

void RadioLineFields::setDevice(const QString& device)
{
    for (int row = 0; row < m_portList->count(); ++row) {
        if (m_portList->item(row)->data(Qt::UserRole).toString() == device) {
            m_portList->setCurrentRow(row);
            return;
        }
    }
    m_portList->setCurrentRow(-1);
    m_portList->clearSelection();
    m_portPath->setText(device);
}

quint8 RadioLineFields::address() const
{
    return static_cast<quint8>(m_address->value());
}

void RadioLineFields::setAddress(quint8 address)
{
    const int model = m_model->findData(int(address));
    if (model >= 0) {
        const QSignalBlocker quiet(m_model);
        m_model->setCurrentIndex(model);
    }
    m_address->setValue(address);
}

int RadioLineFields::baudRate() const
{
    return m_baud->currentData().toInt();
}

void RadioLineFields::setBaudRate(int baud)
{
    int index = m_baud->findData(baud);
    if (index < 0) {
        m_baud->addItem(QString::number(baud), baud);
        index = m_baud->count() - 1;
    }
    m_baud->setCurrentIndex(index);
}
