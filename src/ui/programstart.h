#pragma once

#include "link/portoffers.h"

#include <QString>

#include <memory>

class F706;

/** Exit status of a start-up that could not go on. */
constexpr int kStartupFailedExitCode = 1;

/**
 * Creates the main window and runs its start-up (Form_Load). When start-up fails, tells
 * the operator the error's number and text in a message box. When the failure was the
 * port named in the settings (missing, in use, forbidden, not a serial device), the port
 * dialog follows, with the error in it: another port chosen there is stored and start-up
 * runs again on it; "Work without the radio" returns the window without a port, its
 * memories at hand, the settings file and databases untouched. Any other failure, or
 * "Quit", returns nullptr with *exitCode = kStartupFailedExitCode; the window is never
 * shown. When the window was closed during start-up, returns nullptr with *exitCode = 0.
 * Otherwise returns the window, not yet shown. byIdFolder: where the dialog looks for
 * stable device names first. A frameLogPath starts the frame log before the first frame;
 * a log that cannot be written is a start-up failure.
 */
std::unique_ptr<F706> startMainWindow(const QString& appPath, int* exitCode,
                                      const QString& byIdFolder = QLatin1String(kSerialByIdFolder),
                                      const QString& frameLogPath = QString());
