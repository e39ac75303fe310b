#pragma once

#include <QString>

#include <memory>

class F706;

/** Exit status of a start-up that could not go on. */
constexpr int kStartupFailedExitCode = 1;

/**
 * Creates the main window and runs its start-up (Form_Load). When start-up fails, tells
 * the operator the error's number and text in a message box and returns nullptr with
 * *exitCode = kStartupFailedExitCode; the window is never shown. When the window was
 * closed during start-up, returns nullptr with *exitCode = 0. Otherwise returns the
 * window, not yet shown.
 */
std::unique_ptr<F706> startMainWindow(const QString& appPath, int* exitCode);
