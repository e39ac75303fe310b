#include "ui/radiosettingsdialog.h"

#include "ui/radiochoicefields.h"
#include "ui/radiolinefields.h"
#include "ui/uilook.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kPollAuto = QStringLiteral("auto");
const QString kPollOff = QStringLiteral("off");
const QString kPollEvery = QStringLiteral("every");

}  // namespace

RadioSettingsDialog::RadioSettingsDialog(const QList<PortOffer>& ports,
                                         const RadioSettings& current, Apply apply, QWidget* parent)
    : QDialog(parent),
      m_apply(std::move(apply)),
      m_check(new RadioCheck(this)),
      m_hamlibCheck(new HamlibCheck(this))
{
    setObjectName(QStringLiteral("RadioSettings"));
    setWindowTitle(QStringLiteral("Radio settings"));
    m_choice = new RadioChoiceFields(ports, this);
    m_choice->setChoice(current.radio);
    m_fields = m_choice->lineFields();
    m_fields->setDevice(current.line.device);
    m_fields->setAddress(current.line.radioAddress);
    m_fields->setBaudRate(current.line.baudRate);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("CheckResult"));
    m_result->setWordWrap(true);
    m_result->hide();
    connect(m_choice, &RadioChoiceFields::edited, m_result, &QWidget::hide);
    connect(m_check, &RadioCheck::finished, this, &RadioSettingsDialog::onChecked);
    connect(m_hamlibCheck, &HamlibCheck::finished, this, &RadioSettingsDialog::onHamlibChecked);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_checkButton = buttons->addButton(QStringLiteral("Check"), QDialogButtonBox::ActionRole);
    m_checkButton->setObjectName(QStringLiteral("CheckRadio"));
    m_checkButton->setToolTip(QStringLiteral("Ask whether the radio chosen answers"));
    connect(m_checkButton, &QPushButton::clicked, this, &RadioSettingsDialog::check);
    connect(buttons, &QDialogButtonBox::accepted, this, &RadioSettingsDialog::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    auto* radioBox = new QGroupBox(QStringLiteral("Radio"), this);
    (new QVBoxLayout(radioBox))->addWidget(m_choice);
    auto* pollBox = new QGroupBox(QStringLiteral("Reading the radio"), this);
    (new QVBoxLayout(pollBox))->addWidget(buildPollRows(current));
    layout->addWidget(radioBox, 1);
    layout->addWidget(pollBox);
    layout->addWidget(m_result);
    layout->addWidget(buttons);
}

QWidget* RadioSettingsDialog::buildPollRows(const RadioSettings& current)
{
    auto* box = new QWidget(this);
    m_poll = new QComboBox(box);
    m_poll->setObjectName(QStringLiteral("Poll"));
    m_poll->addItem(QStringLiteral("auto: until the radio announces its own changes"), kPollAuto);
    m_poll->addItem(QStringLiteral("off"), kPollOff);
    m_poll->addItem(QStringLiteral("every so many seconds"), kPollEvery);
    m_pollSeconds = new QSpinBox(box);
    m_pollSeconds->setObjectName(QStringLiteral("PollSeconds"));
    m_pollSeconds->setRange(1, kLongestPollSeconds);
    m_pollSeconds->setSuffix(QStringLiteral(" s"));
    bool isNumber = false;
    const int seconds = current.poll.trimmed().toInt(&isNumber);
    if (isNumber && seconds >= 1) {
        m_poll->setCurrentIndex(m_poll->findData(kPollEvery));
        m_pollSeconds->setValue(std::min(seconds, kLongestPollSeconds));
    } else {
        m_poll->setCurrentIndex(std::max(0, m_poll->findData(current.poll.trimmed().toLower())));
    }
    m_pollSeconds->setEnabled(m_poll->currentData() == kPollEvery);
    connect(m_poll, &QComboBox::currentIndexChanged, m_pollSeconds,
            [this] { m_pollSeconds->setEnabled(m_poll->currentData() == kPollEvery); });

    m_startup = new QComboBox(box);
    m_startup->setObjectName(QStringLiteral("Startup"));
    m_startup->addItem(QStringLiteral("reset: VFO A, FM, split off, 145.400.000"),
                       QStringLiteral("reset"));
    m_startup->addItem(QStringLiteral("keep: read the radio's frequency and mode, set nothing"),
                       QStringLiteral("keep"));
    m_startup->setCurrentIndex(std::max(0, m_startup->findData(current.startup.trimmed())));

    auto* form = new QFormLayout(box);
    form->setContentsMargins(0, 0, 0, 0);
    auto* pollRow = new QHBoxLayout;
    pollRow->addWidget(m_poll, 1);
    pollRow->addWidget(m_pollSeconds);
    form->addRow(QStringLiteral("Read frequency and mode:"), pollRow);
    form->addRow(QStringLiteral("At start:"), m_startup);
    return box;
}

RadioSettings RadioSettingsDialog::settings() const
{
    RadioSettings chosen;
    chosen.radio = m_choice->choice();
    chosen.line.device = m_fields->device();
    chosen.line.radioAddress = m_fields->address();
    chosen.line.baudRate = m_fields->baudRate();
    const QString poll = m_poll->currentData().toString();
    chosen.poll = poll == kPollEvery ? QString::number(m_pollSeconds->value()) : poll;
    chosen.startup = m_startup->currentData().toString();
    return chosen;
}

QString RadioSettingsDialog::incomplete(const RadioSettings& chosen) const
{
    if (chosen.radio.backend == RadioBackendKind::Native && chosen.line.device.isEmpty())
        return QStringLiteral("Choose a port from the list or type its device path.");
    return m_choice->incomplete();
}

void RadioSettingsDialog::check()
{
    const RadioSettings chosen = settings();
    if (const QString missing = incomplete(chosen); !missing.isEmpty()) {
        showResult(missing, true);
        return;
    }
    if (chosen.radio.backend != RadioBackendKind::Remote) {
        emit checkStarting();
        m_checking = true;
    }
    if (chosen.radio.backend != RadioBackendKind::Native) {
        const bool remote = chosen.radio.backend == RadioBackendKind::Remote;
        m_hamlibCheck->start(hamlibTargetOf(chosen.radio));
        setChecking(true);
        showResult(remote ? QStringLiteral("Asking the rigctld at %1…").arg(chosen.radio.remote)
                          : QStringLiteral("Asking the radio on %1…").arg(chosen.radio.device),
                   false);
        return;
    }
    AppError error;
    if (!m_check->start(chosen.line.device, chosen.line.baudRate, chosen.line.radioAddress,
                        &error)) {
        endCheck();
        showResult(error.text, true);
        return;
    }
    setChecking(true);
    showResult(QStringLiteral("Asking the radio at address %1…")
                   .arg(addressCaption(chosen.line.radioAddress)),
               false);
}

void RadioSettingsDialog::onChecked(const RadioCheck::Outcome& outcome)
{
    endCheck();
    QString text = RadioCheck::describe(outcome);
    const bool found = outcome.error.number == 0 && outcome.answered.has_value();
    if (found && outcome.answered != outcome.asked) {
        m_fields->setAddress(*outcome.answered);
        text += QStringLiteral(" That address is filled in now.");
    }
    showResult(text, !found);
}

void RadioSettingsDialog::onHamlibChecked(const HamlibCheck::Outcome& outcome)
{
    endCheck();
    showResult(outcome.text, !outcome.answered);
}

void RadioSettingsDialog::endCheck()
{
    m_check->cancel();
    m_hamlibCheck->cancel();
    setChecking(false);
    if (m_checking) {
        m_checking = false;
        emit checkEnded();
    }
}

void RadioSettingsDialog::apply()
{
    endCheck();
    const RadioSettings chosen = settings();
    if (const QString missing = incomplete(chosen); !missing.isEmpty()) {
        showResult(missing, true);
        return;
    }
    QString error;
    if (m_apply && !m_apply(chosen, &error)) {
        showResult(error, true);
        return;
    }
    QDialog::accept();
}

void RadioSettingsDialog::done(int result)
{
    endCheck();
    QDialog::done(result);
}

void RadioSettingsDialog::setChecking(bool checking)
{
    m_choice->setEnabled(!checking);
    m_checkButton->setEnabled(!checking);
}

void RadioSettingsDialog::showResult(const QString& text, bool bad)
{
    m_result->setText(text);
    // A failure in red that reads on the dialog's background, light or dark.
    QPalette colours = palette();
    if (bad)
        colours.setColor(QPalette::WindowText, look::errorText(colours.color(QPalette::Window)));
    m_result->setPalette(colours);
    m_result->show();
}
