#include "app/demosession.h"
#include "common/terminationsignals.h"
#include "settings/apppath.h"
#include "ui/f706.h"
#include "ui/memorycontroller.h"
#include "ui/programstart.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSessionManager>

#include <cstdio>
#include <memory>

namespace {

struct Options {
    bool demo = false;
    bool dirGiven = false;  ///< --dir names the directory (appPathFromArguments reads it)
    QString screenshot;
    double quitAfter = 4.0;
};

Options parseOptions(const QApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Controller for an IC-706MKII over CI-V"));
    parser.addHelpOption();
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("Directory of the settings file and databases."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Run against a virtual radio in this process."));
    const QCommandLineOption shot(QStringLiteral("screenshot"),
                                  QStringLiteral("With --demo: save a picture of the window to "
                                                 "FILE, then quit."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption after(QStringLiteral("quit-after"),
                                   QStringLiteral("Seconds before the screenshot (default 4)."),
                                   QStringLiteral("SECONDS"), QStringLiteral("4"));
    parser.addOptions({dir, demo, shot, after});
    parser.process(app);

    Options options;
    options.demo = parser.isSet(demo);
    options.dirGiven = parser.isSet(dir);
    options.screenshot = parser.value(shot);
    options.quitAfter = parser.value(after).toDouble();
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvane"));
    const Options options = parseOptions(app);
    const QStringList arguments = QApplication::arguments();

    QString appPath = appPathFromArguments(arguments);
    std::unique_ptr<DemoSession> demo;
    if (options.demo) {
        if (!options.dirGiven)
            appPath = withTrailingSeparator(DemoSession::defaultDirectory());
        demo = std::make_unique<DemoSession>();
        QString error;
        if (!demo->prepare(appPath, &error)) {
            std::fprintf(stderr, "corvane: demo: %s\n", qPrintable(error));
            return 1;
        }
    }

    int exitCode = 0;
    std::unique_ptr<F706> window = startMainWindow(appPath, &exitCode);
    if (!window)
        return exitCode;
    QObject::connect(window.get(), &F706::unloaded, &app, [] { QCoreApplication::exit(0); });
    // SIGTERM, SIGHUP, Ctrl+C and the end of the desktop session end the program as QUIT does.
    TerminationSignals termination;
    QString signalError;
    if (!termination.start(&signalError))
        std::fprintf(stderr, "corvane: %s\n", qPrintable(signalError));
    QObject::connect(&termination, &TerminationSignals::endRequested, window.get(),
                     &F706::Cquit_Click);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, window.get(),
                     [&window] { window->memory()->writePendingAtQuit(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, window.get(), &F706::Cquit_Click);
    window->show();
    if (demo) {
        demo->noteWindowShown();
        demo->startFrontPanel();
        if (!options.screenshot.isEmpty())
            demo->screenshotAndQuit(window.get(), options.screenshot, options.quitAfter);
    }
    const int status = QApplication::exec();
    if (demo && !demo->screenshotSaved())
        return 1;
    return status;
}
