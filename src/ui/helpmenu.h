#pragma once

#include <QObject>
#include <QString>

class FrameLog;
class QAction;
class QMenuBar;
class QWidget;
class RadioCommands;
class RadioState;

/** What "About Corvane" tells beside the version and the licence. */
struct AboutFacts {
    QString settingsFile;
    QString dataFolder;
    int radioAddress = 0;  ///< CI-V address
    int portNumber = 0;    ///< COM n
    QString device;        ///< the port's device; empty when none is known
    bool portOpen = false;
};

/** The text of "About Corvane". */
QString aboutText(const AboutFacts& facts);

/**
 * The "&Help" menu: "About Corvane" (version, licence, where the settings and the data are,
 * the radio's address and port), "Manual" (the README installed with the program, else the
 * manual page, handed to the desktop without waiting) and "Log frames to file…", which
 * starts and stops the frame log.
 */
class HelpMenu : public QObject {
    Q_OBJECT
public:
    HelpMenu(QMenuBar* bar, QWidget* window, FrameLog* log);

    /** Where the About box takes its facts from. */
    void setSources(const QString& settingsFile, const QString& dataFolder,
                    const RadioCommands* commands, const RadioState* radio);

    QAction* aboutAction() const { return m_about; }
    QAction* manualAction() const { return m_manual; }
    QAction* logFramesAction() const { return m_logFrames; }

    void Mabout_Click();
    void Mmanual_Click();
    /** Ticked: asks for a file and starts the frame log; unticked: stops it. */
    void MlogFrames_Click(bool checked);

private:
    void onLogFailed(const QString& error);

    QWidget* m_window;
    FrameLog* m_log;
    QAction* m_about;
    QAction* m_manual;
    QAction* m_logFrames;
    QString m_settingsFile;
    QString m_dataFolder;
    const RadioCommands* m_commands = nullptr;
    const RadioState* m_radio = nullptr;
};
