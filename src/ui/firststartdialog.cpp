#include "ui/firststartdialog.h"

#include "ui/radiochoicefields.h"
#include "ui/radiolinefields.h"
#include "ui/uilook.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool sameLine(const FirstStartChoice& a, const FirstStartChoice& b)
{
    return a.device == b.device && a.address == b.address && a.baudRate == b.baudRate &&
           a.radio == b.radio;
}

}  // namespace

FirstStartDialog::FirstStartDialog(const QList<PortOffer>& ports, const QString& settingsFile,
                                   const std::optional<PortFailure>& failure, QWidget* parent)
    : QDialog(parent), m_check(new RadioCheck(this)), m_hamlibCheck(new HamlibCheck(this))
{
    setObjectName(QStringLiteral("FirstStart"));
    setWindowTitle(failure ? QStringLiteral("Corvane: the radio's port")
                           : QStringLiteral("Corvane: first start"));
    auto* intro = new QLabel(introText(settingsFile, failure), this);
    intro->setWordWrap(true);
    m_radio = new RadioChoiceFields(ports, this);
    m_fields = m_radio->lineFields();
    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("PortError"));
    m_error->setWordWrap(true);
    QPalette errorColours = m_error->palette();
    errorColours.setColor(QPalette::WindowText,
                          look::errorText(errorColours.color(QPalette::Window)));
    m_error->setPalette(errorColours);
    m_error->hide();
    connect(m_radio, &RadioChoiceFields::edited, m_error, &QWidget::hide);
    connect(m_radio, &RadioChoiceFields::backendChanged, this, &FirstStartDialog::showBackend);
    connect(m_check, &RadioCheck::finished, this, &FirstStartDialog::onChecked);
    connect(m_hamlibCheck, &HamlibCheck::finished, this, &FirstStartDialog::onHamlibChecked);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* use =
        buttons->addButton(QStringLiteral("Use this port"), QDialogButtonBox::AcceptRole);
    m_use = use;
    use->setObjectName(QStringLiteral("UsePort"));
    connect(use, &QPushButton::clicked, this, &FirstStartDialog::usePort);
    QPushButton* other = nullptr;
    if (failure) {
        other = buttons->addButton(QStringLiteral("Work without the radio"),
                                   QDialogButtonBox::ActionRole);
        other->setObjectName(QStringLiteral("WorkWithoutRadio"));
        connect(other, &QPushButton::clicked, this, &FirstStartDialog::workWithoutRadio);
    } else {
        other = buttons->addButton(QStringLiteral("Try the demo"), QDialogButtonBox::ActionRole);
        other->setObjectName(QStringLiteral("RunDemo"));
        connect(other, &QPushButton::clicked, this, &FirstStartDialog::runDemo);
    }
    QPushButton* quit = buttons->addButton(QStringLiteral("Quit"), QDialogButtonBox::RejectRole);
    quit->setObjectName(QStringLiteral("Quit"));
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    m_buttons = {use, other};

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_radio, 1);
    layout->addWidget(m_error);
    layout->addWidget(buttons);
    use->setDefault(true);
    if (failure) {
        m_fields->setDevice(failure->line.device);
        m_fields->setAddress(failure->line.radioAddress);
        m_fields->setBaudRate(failure->line.baudRate);
        showError(failure->error.text);
    }
}

QString FirstStartDialog::introText(const QString& settingsFile,
                                    const std::optional<PortFailure>& failure)
{
    if (!failure)
        return QStringLiteral(
                   "There are no settings yet. Choose the radio and how it is reached: the "
                   "serial port of an IC-706's CI-V cable, another radio through Hamlib, or "
                   "a radio on another computer; or try the demo on a virtual radio.\n"
                   "The choice is kept in %1.")
            .arg(settingsFile);
    return QStringLiteral(
               "The radio's port COM %1 (%2) could not be opened. Choose another "
               "port, or work without the radio: the memories stay at hand, and "
               "the \"Com Port\" menu connects the radio later.\n"
               "A port chosen here is kept in %3.")
        .arg(failure->line.portNumber)
        .arg(failure->line.device, settingsFile);
}

FirstStartChoice FirstStartDialog::fieldsChoice() const
{
    return FirstStartChoice{false,
                            false,
                            m_fields->device(),
                            m_fields->address(),
                            m_fields->baudRate(),
                            m_radio->choice()};
}

void FirstStartDialog::showBackend(RadioBackendKind backend)
{
    m_use->setText(backend == RadioBackendKind::Native ? QStringLiteral("Use this port")
                                                       : QStringLiteral("Use this radio"));
}

void FirstStartDialog::usePort()
{
    const FirstStartChoice choice = fieldsChoice();
    if (choice.radio.backend != RadioBackendKind::Native) {
        useOtherRadio(choice);
        return;
    }
    if (choice.device.isEmpty()) {
        showError(QStringLiteral("Choose a port from the list or type its device path."));
        return;
    }
    if (m_unanswered && sameLine(*m_unanswered, choice)) {
        take(choice);
        return;
    }
    // Open it now, so a wrong or forbidden port is told here, where another can be chosen,
    // and not by a failed start-up; then ask whether a radio answers there.
    AppError error;
    if (!m_check->start(choice.device, choice.baudRate, choice.address, &error)) {
        if (error.number == errors::kPermissionDenied)
            error.text += QStringLiteral(
                "\nOn Linux the user must usually be in the group \"dialout\" "
                "(sudo adduser $USER dialout, then log in again).");
        showError(error.text);
        return;
    }
    setChecking(true);
    m_error->setText(
        QStringLiteral("Asking the radio at address %1…").arg(addressCaption(choice.address)));
    m_error->show();
}

void FirstStartDialog::onChecked(const RadioCheck::Outcome& outcome)
{
    setChecking(false);
    const FirstStartChoice choice = fieldsChoice();
    if (outcome.error.number == 0 && outcome.answered == outcome.asked) {
        take(choice);
        return;
    }
    QString text = RadioCheck::describe(outcome);
    if (outcome.error.number == 0 && outcome.answered) {
        m_fields->setAddress(*outcome.answered);
        text += QStringLiteral(
            " That address is filled in now: press \"Use this port\" to "
            "use it.");
    } else if (outcome.error.number == 0) {
        m_unanswered = choice;
        text += QStringLiteral("\nPress \"Use this port\" again to use it all the same.");
    }
    showError(text);
}

void FirstStartDialog::useOtherRadio(const FirstStartChoice& choice)
{
    if (const QString missing = m_radio->incomplete(); !missing.isEmpty()) {
        showError(missing);
        return;
    }
    if (m_unanswered && sameLine(*m_unanswered, choice)) {
        take(choice);
        return;
    }
    const RadioChoice& radio = choice.radio;
    const bool remote = radio.backend == RadioBackendKind::Remote;
    m_hamlibCheck->start(hamlibTargetOf(radio));
    setChecking(true);
    m_error->setText(remote ? QStringLiteral("Asking the rigctld at %1…").arg(radio.remote)
                            : QStringLiteral("Asking the radio on %1…").arg(radio.device));
    m_error->show();
}

void FirstStartDialog::onHamlibChecked(const HamlibCheck::Outcome& outcome)
{
    setChecking(false);
    const FirstStartChoice choice = fieldsChoice();
    if (outcome.answered) {
        take(choice);
        return;
    }
    m_unanswered = choice;
    showError(outcome.text +
              QStringLiteral("\nPress \"Use this radio\" again to use it all the same."));
}

void FirstStartDialog::take(const FirstStartChoice& choice)
{
    QString error;
    if (m_store && !m_store(choice, &error)) {
        showError(error);
        return;
    }
    m_choice = choice;
    QDialog::accept();
}

void FirstStartDialog::runDemo()
{
    m_choice = fieldsChoice();
    m_choice.demo = true;
    QDialog::accept();
}

void FirstStartDialog::workWithoutRadio()
{
    m_choice = fieldsChoice();
    m_choice.withoutRadio = true;
    QDialog::accept();
}

void FirstStartDialog::done(int result)
{
    m_check->cancel();
    m_hamlibCheck->cancel();
    QDialog::done(result);
}

void FirstStartDialog::setChecking(bool checking)
{
    m_radio->setEnabled(!checking);
    for (QPushButton* button : m_buttons)
        button->setEnabled(!checking);
}

void FirstStartDialog::showError(const QString& text)
{
    m_error->setText(text);
    m_error->show();
}
