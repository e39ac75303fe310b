// The window and its radio: the state shown from the radio model (display, status line,
// indicators, the "Com Port" tick), the line's events, and the radio reached through Hamlib or
// a rigctld as section RADIO or the dialogs choose it, with its abilities on the controls.
#include "ui/f706.h"

#include "common/errormessage.h"
#include "hamlib/hamlibbackend.h"
#include "profile/radioprofile.h"
#include "radio/framelog.h"
#include "radio/radiobackend.h"
#include "radio/radiocommands.h"
#include "radio/radiopoller.h"
#include "radio/radiostate.h"
#include "settings/radiochoice.h"
#include "settings/startupsettings.h"
#include "ui/comframe.h"
#include "ui/displayframe.h"
#include "ui/hamlibcheck.h"
#include "ui/mainmenus.h"
#include "ui/messagebox.h"

#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kPortClosedStatus = QStringLiteral("PORT CLOSED");
const QString kNoRadio = QStringLiteral("NO RADIO");
/** Shown in the display while the radio does not answer. */
const QString kNotAnsweringWord = QStringLiteral("NOT ANSWERING");

}  // namespace

void F706::connectRadioState()
{
    // The display, the status line, the menu tick and the SPLIT and SCAN indicators are
    // drawn from the radio model only.
    connect(m_radio, &RadioState::frequencyChanged, this,
            [this] { m_display->showFrequency(m_radio->frequencyText()); });
    connect(m_radio, &RadioState::modeChanged, this,
            [this] { m_display->showMode(m_radio->modeName()); });
    connect(m_radio, &RadioState::statusReported, m_display->inStringa(), &QLineEdit::setText);
    // Any later text replaces PORT CLOSED; a reopened port clears only PORT CLOSED itself.
    connect(m_display->inStringa(), &QLineEdit::textChanged, this,
            [this] { m_portClosedShown = false; });
    connect(m_radio, &RadioState::splitChanged, m_display, &DisplayFrame::setSplitShown);
    connect(m_radio, &RadioState::radioScanChanged, m_com, &ComFrame::showRadioScan);
    connect(m_radio, &RadioState::connectionChanged, this, &F706::showConnection);
    connect(m_radio, &RadioState::answeringChanged, this, &F706::showConnection);
    // A port opened anew, from whichever menu or dialog: what the radio holds now, perhaps
    // changed meanwhile, is read. (Start-up reads after its own frames.)
    connect(m_commands, &RadioCommands::portOpened, this, [this] {
        forgetBackend();
        if (m_loaded)
            m_commands->readRadio();
    });
    connect(m_commands, &RadioCommands::writeFailed, this, &F706::showPortClosed);
    connect(m_commands, &RadioCommands::answerMissing, this, [this](quint8 address) {
        if (m_backend) {
            m_display->inStringa()->setText(
                QStringLiteral("NO ANSWER from the %1 at %2 — check the radio and its cable "
                               "or connection")
                    .arg(m_backend->radioName(), m_backend->place()));
            return;
        }
        m_display->inStringa()->setText(
            QStringLiteral("NO ANSWER from the radio at address %1 — check the CI-V address "
                           "and the cable")
                .arg(addressText(address)));
    });
    connect(m_commands, &RadioCommands::backendOpenFailed, this, [this](const AppError& error) {
        // At start-up and from useRadio() the caller tells it; later it is told here.
        if (m_loaded && !m_waitingForBackend)
            showMessage(this, QMessageBox::Warning, QString(), numberedErrorMessage(error));
    });
    connect(m_radio, &RadioState::connectionChanged, this, &F706::showAbilities);
    connect(m_commands, &RadioCommands::commandRefused, this, [this](const QString& what) {
        m_display->inStringa()->setText(QStringLiteral("NG: the radio refused ") + what);
    });
    m_display->setSplitShown(m_radio->split());
}

void F706::showConnection()
{
    const bool open = m_radio->isOpen();
    m_menus->tickCom(open ? m_radio->portNumber() : 0);
    // A radio that does not answer shows as a closed port does, with a word of its own.
    m_display->setDimmed(!open || !m_radio->answering());
    m_display->setRadioWord(open && !m_radio->answering() ? kNotAnsweringWord : QString());
    if (open && m_noRadio) {
        m_noRadio = false;
        m_display->freq()->setText(m_radio->frequencyText());
    } else if (m_noRadio) {
        m_display->freq()->setText(kNoRadio);
    }
    if (!open && !m_radio->device().isEmpty()) {
        showPortClosed();
    } else if (open && m_portClosedShown) {
        m_display->inStringa()->clear();
        m_portClosedShown = false;
    }
}

void F706::showPortClosed()
{
    if (m_unloaded)
        return;
    // The words first: a long device path gives up its middle, and the tooltip holds it whole.
    m_display->showStatusElided(kPortClosedStatus + QStringLiteral(": "), m_radio->device());
    m_portClosedShown = true;
}

bool F706::openBackend(const RadioChoice& choice, const StartupSettings& settings, AppError* error)
{
    if (choice.backend == RadioBackendKind::Native)
        return false;
    const HamlibTarget target = hamlibTargetOf(choice);
    // Hamlib polls on its own thread; the native poller stays still.
    m_poller->setPolling(std::chrono::seconds(0), false);
    std::unique_ptr<RadioBackend> old = std::move(m_backend);
    m_backend = std::make_unique<HamlibBackend>(target, settings.poll.period);
    connect(m_backend.get(), &RadioBackend::debugLine, m_frameLog, &FrameLog::note);

    // Opening takes Hamlib a moment (or its timeout): events keep running meanwhile.
    QEventLoop wait;
    std::optional<AppError> failed;
    bool done = false;
    const auto finish = [&wait, &done] {
        done = true;
        wait.quit();
    };
    const QMetaObject::Connection connections[] = {
        connect(m_backend.get(), &RadioBackend::opened, &wait, finish),
        connect(m_backend.get(), &RadioBackend::openFailed, &wait,
                [&failed, finish](const AppError& why) {
                    failed = why;
                    finish();
                }),
        connect(this, &F706::unloaded, &wait, finish),
    };
    m_waitingForBackend = true;
    m_commands->openBackend(m_backend.get());
    if (old)
        old.release()->deleteLater();  // its thread ends within one Hamlib timeout
    if (!done)
        wait.exec();
    m_waitingForBackend = false;
    for (const QMetaObject::Connection& connection : connections)
        disconnect(connection);
    if (failed) {
        if (error)
            *error = *failed;
        return false;
    }
    if (!m_unloaded) {
        // Said once, when such a radio opens: what a memory can hold.
        m_display->inStringa()->setText(
            QStringLiteral("%1 on %2 through %3 — memories hold frequencies up to 999.999999 MHz")
                .arg(m_backend->radioName(), m_backend->place(),
                     target.remote() ? QStringLiteral("rigctld") : QStringLiteral("Hamlib")));
    }
    return true;
}

void F706::forgetBackend()
{
    // A serial port opened from the "Com Port" menu or the settings dialog replaces a radio
    // reached through Hamlib: the IC-706 family's profile and poller are back.
    if (!m_backend || m_commands->backend())
        return;
    m_backend.release()->deleteLater();  // its thread ends within one Hamlib timeout
    AppError ignored;
    if (const std::optional<StartupSettings> settings =
            readStartupSettings(m_settingsFile, &ignored)) {
        radioprofile::setCurrent(radioprofile::nativeAt(settings->radioAddress));
        m_poller->setPolling(settings->poll.period, settings->poll.untilAnnounced);
    }
}

bool F706::useRadio(const RadioChoice& choice, AppError* error)
{
    stopBookmarkScan();
    const std::optional<StartupSettings> settings = readStartupSettings(m_settingsFile, error);
    if (!settings)
        return false;
    m_commands->setRadioAddress(settings->radioAddress);
    if (choice.backend != RadioBackendKind::Native) {
        if (!openBackend(choice, *settings, error))
            return false;
        if (m_loaded)
            m_commands->readRadio();
        return true;
    }
    m_commands->openBackend(nullptr);
    forgetBackend();
    radioprofile::setCurrent(radioprofile::nativeAt(settings->radioAddress));
    m_commands->setBaudRate(settings->baudRate);
    m_poller->setPolling(settings->poll.period, settings->poll.untilAnnounced);
    return openStartupPort(settings->portNumber, error);
}

void F706::showAbilities()
{
    const RadioAbilities can = m_commands->abilities();
    // Each control keeps its own tooltip while it can be served, and says why while not.
    const auto offer = [this](const QString& name, const QString& whyNot) {
        auto* button = m_client->findChild<QPushButton*>(name);
        if (!button)
            return;
        const char* kOwnTip = "corvaneOwnTip";
        if (!button->property(kOwnTip).isValid())
            button->setProperty(kOwnTip, button->toolTip());
        button->setEnabled(whyNot.isEmpty());
        button->setToolTip(whyNot.isEmpty() ? button->property(kOwnTip).toString() : whyNot);
    };
    offer(QStringLiteral("Csplit"), can.noSplit);
    offer(QStringLiteral("Cscan"), can.noRadioScan);
    for (int i = 0; i < 10; ++i)
        offer(QStringLiteral("Cstep_%1").arg(i), can.noTuningStep);
    const std::pair<const char*, const char16_t*> modes[] = {
        {"Clsb", u"LSB"}, {"Cusb", u"USB"}, {"Ccw", u"CW"},  {"Crtty", u"RTTY"},
        {"Cam", u"AM"},   {"Cfm", u"FM"},   {"Cwfm", u"WFM"}};
    for (const auto& [name, mode] : modes) {
        const std::optional<quint8> code = modeCode(QStringView(mode));
        offer(QString::fromLatin1(name), code && can.hasMode(*code) ? QString() : can.noOtherModes);
    }
}

void F706::onLineEvent(int code)
{
    // One box at a time: a burst of line events while a box is up adds no more boxes.
    if (m_lineEventShowing)
        return;
    m_lineEventShowing = true;
    if (code == errors::kEventBreak || code == errors::kEventFrame) {
        showMessage(this, QMessageBox::Information, QStringLiteral("CORVANE"),
                    QStringLiteral("Rilevata probabile accensione interfaccia"));
    } else {
        showMessage(this, QMessageBox::NoIcon, QString(), QStringLiteral("Evento #%1").arg(code));
    }
    m_lineEventShowing = false;
}

void F706::onPortLost(const AppError& error)
{
    // During start-up the window is not shown yet: Form_Load tells it in its own words.
    if (!m_loaded)
        return;
    showMessage(this, QMessageBox::Warning, QString(),
                numberedErrorMessage(error) +
                    QStringLiteral("\r\nWhen the device is back, choose \"COM %1\" again from "
                                   "the \"Com Port\" menu.")
                        .arg(m_radio->portNumber()));
}
