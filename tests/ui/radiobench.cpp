#include "radiobench.h"

#include "common/delay.h"
#include "radio/radiocommands.h"
#include "settings/apppath.h"
#include "settings/inifile.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QTest>

namespace {

const QString kSettings = QStringLiteral("SETTINGS");
constexpr int kStartupFrames = 4;
constexpr int kReadFrames = 2;
constexpr int kWaitMs = 10'000;

}  // namespace

RadioBench::RadioBench()
{
    resetDelays();
    setMessageHandler([this](const MessageRequest& request) {
        m_messages.append(request);
        return QMessageBox::Ok;
    });
}

RadioBench::~RadioBench()
{
    m_window.reset();
    setMessageHandler({});
}

bool RadioBench::startRadio(quint8 address)
{
    m_clock.start();
    m_radio = std::make_unique<VirtualRadio>(address);
    QObject::connect(m_radio.get(), &VirtualRadio::frameReceived, m_radio.get(),
                     [this](const QByteArray& frame) {
                         m_frames.append(QString::fromLatin1(frame.toHex().toUpper()));
                         m_seconds.append(m_clock.nsecsElapsed() / 1e9);
                     });
    QString error;
    if (!m_dir.isValid() || !m_radio->start(&error)) {
        qWarning("radio: %s", qPrintable(error));
        return false;
    }
    // No reads at rest unless a test asks for them: frame counts stay exact.
    return setSetting(QStringLiteral("COM2"), m_radio->devicePath()) &&
           (!setting(QStringLiteral("POLL")).isEmpty() ||
            setSetting(QStringLiteral("POLL"), QStringLiteral("off")));
}

bool RadioBench::setSetting(const QString& key, const QString& value)
{
    return WriteINI(settingsFile(), kSettings, key, value);
}

QString RadioBench::setting(const QString& key) const
{
    return ReadINI(settingsFile(), kSettings, key, QString());
}

QString RadioBench::appPath() const
{
    return withTrailingSeparator(m_dir.path());
}

QString RadioBench::settingsFile() const
{
    return settingsFilePath(appPath());
}

bool RadioBench::loadWindow(AppError* error)
{
    m_window = std::make_unique<F706>(appPath());
    AppError local;
    if (!m_window->Form_Load(error ? error : &local))
        return false;
    // The start-up frames (none with STARTUP=keep) and the reads of frequency and mode.
    const int expected =
        (setting(QStringLiteral("STARTUP")) == u"keep" ? 0 : kStartupFrames) + kReadFrames;
    const RadioCommands* commands = m_window->radioCommands();
    if (!waitForFrames(expected) || !QTest::qWaitFor([&] { return commands->idle(); }, kWaitMs))
        return false;
    clearFrames();
    return true;
}

void RadioBench::clearFrames()
{
    m_frames.clear();
    m_seconds.clear();
}

bool RadioBench::waitForFrames(int count)
{
    return QTest::qWaitFor([&] { return m_frames.size() >= count; }, kWaitMs);
}

void RadioBench::click(const char* objectName)
{
    auto* button = find<QAbstractButton>(objectName);
    QVERIFY2(button, objectName);
    QTest::mouseClick(button, Qt::LeftButton);
}

QString frameTo48(const char* body)
{
    return QStringLiteral("FEFE48E0") + QLatin1String(body) + QStringLiteral("FD");
}
