#include "ui/programstart.h"

#include "common/errormessage.h"
#include "common/replacingfile.h"
#include "radio/framelog.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "settings/startupsettings.h"
#include "ui/f706.h"
#include "ui/firststart.h"
#include "ui/firststartdialog.h"
#include "ui/helpmenu.h"
#include "ui/messagebox.h"

namespace {

/** A temporary file of ours untouched this long belongs to a run that was killed while
 *  writing (a settings write or a new database takes a fraction of a second). */
constexpr int kStaleTemporarySeconds = 10 * 60;

/** What a window whose port failed was set up with. */
PortFailure failureOf(const F706& window, const AppError& error)
{
    const RadioState* radio = window.radioState();
    return {error, RadioLineSettings{radio->portNumber(), radio->device(),
                                     window.radioCommands()->radioAddress(),
                                     window.radioCommands()->baudRate()}};
}

}  // namespace

std::unique_ptr<F706> startMainWindow(const QString& appPath, int* exitCode,
                                      const QString& byIdFolder, const QString& frameLogPath)
{
    *exitCode = 0;
    ReplacingFile::removeStale(appPath, kStaleTemporarySeconds);
    for (;;) {
        auto window = std::make_unique<F706>(appPath);
        if (QString logError;
            !frameLogPath.isEmpty() && !window->frameLog()->start(frameLogPath, &logError)) {
            showMessage(nullptr, QMessageBox::Critical, QString(), logError);
            *exitCode = kStartupFailedExitCode;
            return nullptr;
        }
        window->helpMenu()->logFramesAction()->setChecked(window->frameLog()->isRunning());
        AppError error;
        if (window->Form_Load(&error))
            return window->isUnloaded() ? nullptr : std::move(window);
        showMessage(nullptr, QMessageBox::Critical, QString(), numberedErrorMessage(error));
        if (!window->portFailedAtStart()) {
            *exitCode = kStartupFailedExitCode;
            return nullptr;
        }
        const PortFailure failure = failureOf(*window, error);
        FirstStartDialog dialog(availablePorts(byIdFolder), window->settingsFile(), failure);
        const QString settingsFile = window->settingsFile();
        dialog.setStore([&failure, &settingsFile](const FirstStartChoice& choice, QString* why) {
            AppError stored;
            if (writeRadioChosen(settingsFile, choice, failure.line.portNumber, &stored))
                return true;
            *why = stored.text;
            return false;
        });
        if (dialog.exec() != QDialog::Accepted) {
            *exitCode = kStartupFailedExitCode;
            return nullptr;
        }
        if (dialog.choice().withoutRadio) {
            window->startWithoutRadio();
            return window;
        }
        // The radio chosen is stored: start-up runs again on it, in a fresh window.
    }
}
