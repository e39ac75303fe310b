#pragma once

#include "ui/radiosettingsdialog.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class RadioCommands;
class RadioState;
class SerialLink;

/**
 * "Radio settings…" of the "Com Port" menu for the main window: shows the dialog on the
 * line in use, lets go of the radio's port while a check asks on a line of its own and
 * takes it back afterwards (at the settings still in use), and on OK stores the line, POLL
 * and STARTUP with one replacement of the settings file, and the radio chosen in section
 * RADIO (a file without that section keeps none while the IC-706 family is chosen).
 * For the IC-706 family it then reopens the port at the new device, address and rate; for
 * another radio (Hamlib or rigctld) it leaves the port alone and tells radioChosen() once
 * the dialog has closed: whoever runs the radio switches to it.
 */
class RadioSettingsController : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QWidget* window = nullptr;
        SerialLink* link = nullptr;
        RadioState* radio = nullptr;
        RadioCommands* commands = nullptr;
        QString settingsFile;
        std::function<void()> devicesChanged;  ///< the COMn keys were rewritten
    };

    explicit RadioSettingsController(Parts parts, QObject* parent = nullptr);

    /** Where the dialog looks for stable device names first. */
    void setByIdFolder(const QString& folder) { m_byIdFolder = folder; }

    /** Shows the dialog (modal; events keep running). */
    void edit();

signals:
    /** A Hamlib or remote radio was chosen and stored. */
    void radioChosen(const RadioChoice& choice);

private:
    RadioSettings current() const;
    void releasePort();
    void takePortBack();
    bool apply(const RadioSettings& chosen, QString* error);
    /** Writes section RADIO, then the line, POLL and STARTUP. */
    bool store(const RadioSettings& chosen, QString* error);

    Parts m_parts;
    QString m_byIdFolder;
    bool m_released = false;  ///< the port was open when a check let go of it
    QString m_pendingWarning;
    std::optional<RadioChoice> m_chosen;  ///< told by radioChosen() when the dialog closes
};
