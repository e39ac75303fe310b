#include "ui/radiochoicefields.h"

#include "ui/hamliblinefields.h"
#include "ui/radiolinefields.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

RadioChoiceFields::RadioChoiceFields(const QList<PortOffer>& ports, QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_choices = new QButtonGroup(this);
    const struct {
        RadioBackendKind backend;
        const char* name;
        QString text;
    } choices[] = {
        {RadioBackendKind::Native, "RadioNative",
         QStringLiteral("&IC-706 family on a serial port")},
        {RadioBackendKind::Hamlib, "RadioHamlib",
         QStringLiteral("&Another radio on a serial port (Hamlib)")},
        {RadioBackendKind::Remote, "RadioRemote",
         QStringLiteral("A radio on another &computer (rigctld)")},
    };
    for (const auto& choice : choices) {
        auto* button = new QRadioButton(choice.text, this);
        button->setObjectName(QLatin1String(choice.name));
        m_choices->addButton(button, int(choice.backend));
        layout->addWidget(button);
    }

    m_native = new RadioLineFields(ports, this);
    m_hamlib = new HamlibLineFields(ports, this);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(m_native);
    m_pages->addWidget(m_hamlib);
    m_pages->addWidget(buildRemote());
    layout->addSpacing(layout->spacing());
    layout->addWidget(m_pages, 1);

    m_choices->button(int(RadioBackendKind::Native))->setChecked(true);
    connect(m_choices, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked)
            return;
        m_pages->setCurrentIndex(id);
        emit backendChanged(RadioBackendKind(id));
        emit edited();
    });
    connect(m_native, &RadioLineFields::edited, this, &RadioChoiceFields::edited);
    connect(m_hamlib, &HamlibLineFields::edited, this, &RadioChoiceFields::edited);
}

QWidget* RadioChoiceFields::buildRemote()
{
    auto* page = new QWidget(this);
    m_host = new QLineEdit(page);
    m_host->setObjectName(QStringLiteral("RemoteHost"));
    m_host->setPlaceholderText(QStringLiteral("shack-pc.local or 192.168.1.20"));
    m_host->setToolTip(
        QStringLiteral("The computer where rigctld runs (localhost through an "
                       "SSH tunnel)"));
    m_port = new QSpinBox(page);
    m_port->setObjectName(QStringLiteral("RemotePort"));
    m_port->setRange(1, 65535);
    m_port->setValue(kDefaultRemotePort);
    m_port->setToolTip(QStringLiteral("rigctld's TCP port (its option -t; 4532 unless set)"));
    connect(m_host, &QLineEdit::textChanged, this, &RadioChoiceFields::edited);
    connect(m_port, &QSpinBox::valueChanged, this, &RadioChoiceFields::edited);

    auto* how = new QLabel(
        QStringLiteral("Hamlib's rigctld runs on the computer the radio is connected to, "
                       "for example: rigctld -m 3011 -r /dev/ttyUSB0 -s 9600. Across the "
                       "internet, reach it through an SSH tunnel (ssh -L 4532:localhost:4532 "
                       "shack-pc) and use host localhost."),
        page);
    how->setObjectName(QStringLiteral("RemoteHowTo"));
    how->setWordWrap(true);
    how->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("&Host:"), m_host);
    form->addRow(QStringLiteral("&Port:"), m_port);
    form->addRow(how);
    return page;
}

RadioBackendKind RadioChoiceFields::backend() const
{
    return RadioBackendKind(m_choices->checkedId());
}

RadioChoice RadioChoiceFields::choice() const
{
    RadioChoice chosen;
    chosen.backend = backend();
    switch (chosen.backend) {
        case RadioBackendKind::Native:
            break;
        case RadioBackendKind::Hamlib:
            chosen.hamlibModel = m_hamlib->model();
            chosen.device = m_hamlib->device();
            chosen.baud = m_hamlib->baudRate();
            break;
        case RadioBackendKind::Remote: {
            QString host = m_host->text().trimmed();
            if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
                host = QLatin1Char('[') + host + QLatin1Char(']');  // an IPv6 address
            chosen.remote = host + QLatin1Char(':') + QString::number(m_port->value());
            break;
        }
    }
    return chosen;
}

void RadioChoiceFields::setChoice(const RadioChoice& choice)
{
    if (choice.hamlibModel > 0)
        m_hamlib->setModel(choice.hamlibModel);
    if (!choice.device.isEmpty())
        m_hamlib->setDevice(choice.device);
    m_hamlib->setBaudRate(choice.baud);
    if (const auto remote = splitRemote(choice.remote)) {
        m_host->setText(remote->first);
        m_port->setValue(remote->second);
    }
    m_choices->button(int(choice.backend))->setChecked(true);
}

QString RadioChoiceFields::incomplete() const
{
    switch (backend()) {
        case RadioBackendKind::Native:
            return QString();
        case RadioBackendKind::Hamlib:
            if (m_hamlib->model() == 0)
                return QStringLiteral("Choose the radio from Hamlib's list.");
            if (m_hamlib->device().isEmpty())
                return QStringLiteral("Choose the radio's serial port or type its device path.");
            return QString();
        case RadioBackendKind::Remote:
            if (m_host->text().trimmed().isEmpty())
                return QStringLiteral(
                    "Type the name or address of the computer where rigctld "
                    "runs.");
            return QString();
    }
    return QString();
}
