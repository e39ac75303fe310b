#pragma once

#include "common/errorcatalogue.h"
#include "sim/virtualradio.h"
#include "ui/f706.h"
#include "ui/messagebox.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

/**
 * One window test's world: a temporary program directory whose settings file puts the
 * virtual radio (in this process, on a real pseudo-terminal) behind COM 2, a fresh F706,
 * and every message box answered with OK and recorded.
 *
 *   RadioBench bench;
 *   QVERIFY(bench.startRadio());
 *   QVERIFY(bench.loadWindow());          // start-up done, its frames received and cleared
 *   bench.click("Clsb");
 *   QVERIFY(bench.waitForFrames(1));
 *   QCOMPARE(bench.frames(), QStringList{"FEFE48E00600FD"});
 */
class RadioBench {
public:
    RadioBench();
    ~RadioBench();

    bool startRadio(quint8 address = 0x48);
    /** Writes key=value into section SETTINGS of the settings file. */
    bool setSetting(const QString& key, const QString& value);
    QString setting(const QString& key) const;
    QString appPath() const;
    QString settingsFile() const;

    /** Builds the window and runs its start-up; on success waits for the four start-up
     *  frames and the reads of frequency and mode, and forgets them. The settings file
     *  says POLL=off unless the test wrote POLL before startRadio(). */
    bool loadWindow(AppError* error = nullptr);
    F706* window() const { return m_window.get(); }
    VirtualRadio& radio() { return *m_radio; }

    /** Frames the radio received, upper-case hex, oldest first. */
    QStringList frames() const { return m_frames; }
    QList<double> frameSeconds() const { return m_seconds; }
    void clearFrames();
    bool waitForFrames(int count);

    QList<MessageRequest> messages() const { return m_messages; }

    /** Clicks the button with that object name (fails the test when missing). */
    void click(const char* objectName);
    template <typename T>
    T* find(const char* objectName) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(objectName));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<VirtualRadio> m_radio;
    std::unique_ptr<F706> m_window;
    QStringList m_frames;
    QList<double> m_seconds;
    QElapsedTimer m_clock;  ///< times the frames the radio receives, from startRadio()
    QList<MessageRequest> m_messages;
};

/** A frame in the text the radio logs: FE FE 48 E0 + body + FD. */
QString frameTo48(const char* body);
