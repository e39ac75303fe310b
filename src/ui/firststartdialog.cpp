#include "ui/firststartdialog.h"

#include "common/errorcatalogue.h"
#include "link/seriallink.h"
#include "settings/startupsettings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString modelText(const RadioModel& model)
{
    return QStringLiteral("%1 (address %2 = 0x%3)")
        .arg(QLatin1String(model.name))
        .arg(model.address)
        .arg(QString::number(model.address, 16).toUpper());
}

}  // namespace

FirstStartDialog::FirstStartDialog(const QList<PortOffer>& ports, const QString& settingsFile,
                                   QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FirstStart"));
    setWindowTitle(QStringLiteral("Corvane: first start"));
    auto* intro = new QLabel(
        QStringLiteral("There are no settings yet. Choose the serial port of the radio's CI-V "
                       "cable and the radio, or try the demo on a virtual radio.\n"
                       "The choice is kept in %1.")
            .arg(settingsFile),
        this);
    intro->setWordWrap(true);
    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("PortError"));
    m_error->setWordWrap(true);
    m_error->setStyleSheet(QStringLiteral("color: #b00000"));
    m_error->hide();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* use =
        buttons->addButton(QStringLiteral("Use this port"), QDialogButtonBox::AcceptRole);
    use->setObjectName(QStringLiteral("UsePort"));
    QPushButton* demo =
        buttons->addButton(QStringLiteral("Try the demo"), QDialogButtonBox::ActionRole);
    demo->setObjectName(QStringLiteral("RunDemo"));
    QPushButton* quit = buttons->addButton(QStringLiteral("Quit"), QDialogButtonBox::RejectRole);
    quit->setObjectName(QStringLiteral("Quit"));
    connect(use, &QPushButton::clicked, this, &FirstStartDialog::usePort);
    connect(demo, &QPushButton::clicked, this, &FirstStartDialog::runDemo);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(buildPortBox(ports));
    layout->addWidget(buildRadioBox());
    layout->addWidget(m_error);
    layout->addWidget(buttons);
    use->setDefault(true);
}

QWidget* FirstStartDialog::buildPortBox(const QList<PortOffer>& ports)
{
    auto* box = new QWidget(this);
    m_portList = new QListWidget(box);
    m_portList->setObjectName(QStringLiteral("PortList"));
    for (const PortOffer& port : ports) {
        auto* item = new QListWidgetItem(portOfferText(port), m_portList);
        item->setData(Qt::UserRole, port.device);
        item->setToolTip(port.device);
    }
    m_portPath = new QLineEdit(box);
    m_portPath->setObjectName(QStringLiteral("PortPath"));
    m_portPath->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    connect(m_portList, &QListWidget::currentItemChanged, m_portPath,
            [this](const QListWidgetItem* item) {
                if (item)
                    m_portPath->setText(item->data(Qt::UserRole).toString());
            });
    // A typed path is no longer the listed port: picking that port again fills it back.
    connect(m_portPath, &QLineEdit::textEdited, m_portList,
            [this] { m_portList->setCurrentRow(-1); });
    if (!ports.isEmpty())
        m_portList->setCurrentRow(0);
    connect(m_portPath, &QLineEdit::textChanged, this, [this] { m_error->hide(); });

    auto* layout = new QFormLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(QStringLiteral("Serial ports found:"), m_portList);
    layout->addRow(QStringLiteral("Port:"), m_portPath);
    return box;
}

QWidget* FirstStartDialog::buildRadioBox()
{
    auto* box = new QWidget(this);
    m_model = new QComboBox(box);
    m_model->setObjectName(QStringLiteral("RadioModel"));
    for (const RadioModel& model : kRadioModels)
        m_model->addItem(modelText(model), model.address);
    m_address = new QSpinBox(box);
    m_address->setObjectName(QStringLiteral("RadioAddress"));
    m_address->setRange(0, kHighestRadioAddress);
    m_address->setValue(kRadioModels[0].address);
    m_address->setToolTip(QStringLiteral("CI-V address in decimal, as set in the radio's menu"));
    connect(m_model, &QComboBox::currentIndexChanged, m_address,
            [this](int index) { m_address->setValue(m_model->itemData(index).toInt()); });

    auto* layout = new QFormLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(QStringLiteral("Radio:"), m_model);
    layout->addRow(QStringLiteral("CI-V address:"), m_address);
    return box;
}

void FirstStartDialog::usePort()
{
    const QString device = m_portPath->text().trimmed();
    if (device.isEmpty()) {
        showError(QStringLiteral("Choose a port from the list or type its device path."));
        return;
    }
    // Open it once now, so a wrong or forbidden port is told here, where another can be
    // chosen, and not by a failed start-up.
    SerialLink probe;
    int number = 0;
    QString text;
    if (!probe.open(device, &number, &text)) {
        if (number == errors::kPermissionDenied)
            text += QStringLiteral(
                "\nOn Linux the user must usually be in the group \"dialout\" "
                "(sudo adduser $USER dialout, then log in again).");
        showError(text);
        return;
    }
    probe.close();
    m_choice = FirstStartChoice{false, device, static_cast<quint8>(m_address->value())};
    accept();
}

void FirstStartDialog::runDemo()
{
    m_choice = FirstStartChoice{true, QString(), static_cast<quint8>(m_address->value())};
    accept();
}

void FirstStartDialog::showError(const QString& text)
{
    m_error->setText(text);
    m_error->show();
}
