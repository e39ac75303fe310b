#include "app/demosession.h"

#include "app/demobookmarks.h"
#include "radio/framelog.h"

#include "settings/apppath.h"
#include "settings/inifile.h"
#include "settings/startupsettings.h"
#include "sim/virtualradio.h"
#include "ui/displayframe.h"
#include "ui/f706.h"

#include <QLabel>
#include <QLineEdit>

#include <QDir>
#include <QPixmap>
#include <QStandardPaths>

#include <chrono>
#include <cstdio>

namespace {

using namespace std::chrono_literals;

/** How often the demo's front panel turns the dial. */
constexpr auto kDialInterval = 2500ms;

/** The demo radio sits behind "COM 2", the port a fresh settings file opens. */
constexpr int kDemoPort = 2;

struct DialStop {
    quint64 hertz;
    quint8 mode;
};

// A tour of the bands: 20 m FT8 (USB), 40 m LSB, 2 m FM calling, a repeater, back home.
constexpr DialStop kDialStops[] = {
    {14074000, 1}, {7050000, 0}, {145500000, 5}, {145600000, 5}, {145400000, 5},
};

}  // namespace

DemoSession::DemoSession(QObject* parent)
    : QObject(parent), m_radio(new VirtualRadio(civ::kDefaultRadioAddress, this))
{
    m_clock.start();
    connect(m_radio, &VirtualRadio::frameReceived, this, [this](const QByteArray& frame) {
        printLine(frameTranscriptLine(m_clock.nsecsElapsed(), true, frame));
    });
    connect(m_radio, &VirtualRadio::bytesSent, this, [this](const QByteArray& bytes) {
        printLine(frameTranscriptLine(m_clock.nsecsElapsed(), false, bytes));
    });
    m_dial.setInterval(kDialInterval);
    connect(&m_dial, &QTimer::timeout, this, &DemoSession::turnDial);
}

DemoSession::~DemoSession() = default;

QString DemoSession::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/demo");
}

bool DemoSession::prepare(const QString& appPath, QString* error)
{
    if (!QDir().mkpath(appPath)) {
        *error = QStringLiteral("cannot create the demo directory %1").arg(appPath);
        return false;
    }
    if (!m_radio->start(error))
        return false;
    const QString file = settingsFilePath(appPath);
    const QString section = QString::fromLatin1(kSettingsSection);
    const bool written = writeIniValues(
        file, section,
        {{QString::fromLatin1(kRadioAddressKey), QString::number(civ::kDefaultRadioAddress)},
         {QString::fromLatin1(kPortKey), QString::number(kDemoPort)},
         {QStringLiteral("COM%1").arg(kDemoPort), m_radio->devicePath()}},
        nullptr);
    if (!written) {
        *error = QStringLiteral("cannot write the demo settings file %1").arg(file);
        return false;
    }
    if (!prepareDemoBookmarks(appPath, error))
        return false;
    print(QStringLiteral("virtual radio on %1, settings in %2").arg(m_radio->devicePath(), file));
    return true;
}

void DemoSession::startFrontPanel()
{
    m_dial.start();
}

void DemoSession::turnDial()
{
    const DialStop& stop = kDialStops[m_dialStep];
    m_dialStep = (m_dialStep + 1) % static_cast<int>(std::size(kDialStops));
    print(QStringLiteral("front panel %1 Hz, mode %2").arg(stop.hertz).arg(stop.mode));
    m_radio->setFrequency(stop.hertz);
    m_radio->setMode(stop.mode);
}

void DemoSession::screenshotAndQuit(F706* window, const QString& file, double seconds)
{
    const auto delay = std::chrono::milliseconds(static_cast<qint64>(seconds * 1000));
    QTimer::singleShot(delay, window, [this, window, file] {
        const DisplayFrame* display = window->displayFrame();
        print(QStringLiteral("display     %1  %2  %3")
                  .arg(display->freq()->text(), display->lmode()->text(),
                       display->inStringa()->text()));
        m_screenshotSaved = window->grab().save(file, "PNG");
        print(m_screenshotSaved ? QStringLiteral("screenshot %1").arg(QDir(file).absolutePath())
                                : QStringLiteral("could not save the screenshot %1").arg(file));
        window->close();
    });
}

void DemoSession::print(const QString& text)
{
    printLine(transcriptLine(m_clock.nsecsElapsed(), text));
}

void DemoSession::printLine(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}
