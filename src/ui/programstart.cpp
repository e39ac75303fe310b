#include "ui/programstart.h"

#include "common/errormessage.h"
#include "ui/f706.h"
#include "ui/messagebox.h"

std::unique_ptr<F706> startMainWindow(const QString& appPath, int* exitCode)
{
    auto window = std::make_unique<F706>(appPath);
    AppError error;
    if (!window->Form_Load(&error)) {
        window.reset();
        showMessage(nullptr, QMessageBox::Critical, QString(), numberedErrorMessage(error));
        *exitCode = kStartupFailedExitCode;
        return nullptr;
    }
    if (window->isUnloaded()) {
        *exitCode = 0;
        return nullptr;
    }
    *exitCode = 0;
    return window;
}
