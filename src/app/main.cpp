#include "app/demosession.h"
#include "common/terminationsignals.h"
#include "memory/bookmarkfiles.h"
#include "settings/apppath.h"
#include "ui/f706.h"
#include "ui/firststart.h"
#include "ui/programstart.h"
#include "ui/sharingcontroller.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSessionManager>
#include <QStandardPaths>

#include <cstdio>
#include <memory>

namespace {

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

struct Options {
    bool demo = false;
    bool dirGiven = false;  ///< --dir names the directory (appPathFromArguments reads it)
    QString screenshot;
    double quitAfter = 4.0;
    SharingArguments sharing;
};

const QString kRigctlPortOption = QStringLiteral("rigctl-port");
const QString kRigctlAddressOption = QStringLiteral("rigctl-address");
const QString kRigctlAllowOption = QStringLiteral("rigctl-allow");

/** --rigctl-port N, --rigctl-address ADDR and --rigctl-allow LIST: sharing the radio with
 *  Hamlib programs. */
QList<QCommandLineOption> sharingOptions()
{
    return {
        QCommandLineOption(kRigctlPortOption,
                           QStringLiteral("Share the radio with Hamlib programs (rigctld "
                                          "protocol) on TCP port N; 0: off."),
                           QStringLiteral("N")),
        QCommandLineOption(kRigctlAddressOption,
                           QStringLiteral("Address to share on (default 127.0.0.1). The "
                                          "protocol has no authentication."),
                           QStringLiteral("ADDR")),
        QCommandLineOption(kRigctlAllowOption,
                           QStringLiteral("Addresses and ranges allowed to connect from other "
                                          "computers, comma separated (192.168.1.0/24,fd00::/8);"
                                          " needed to share on any address but loopback."),
                           QStringLiteral("LIST"))};
}

SharingArguments sharingArguments(const QCommandLineParser& parser)
{
    SharingArguments arguments;
    if (parser.isSet(kRigctlPortOption))
        arguments.port = parser.value(kRigctlPortOption);
    if (parser.isSet(kRigctlAddressOption))
        arguments.address = parser.value(kRigctlAddressOption);
    if (parser.isSet(kRigctlAllowOption))
        arguments.allow = parser.value(kRigctlAllowOption);
    return arguments;
}

Options parseOptions(const QApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "Controller for an IC-706MKII over CI-V.\n\n"
            "The settings file IC706.INI, the bookmark databases and the template EMPTY.MDB are\n"
            "kept in one folder: the one given with --dir; else the program's own folder when\n"
            "it is writable and holds IC706.INI (a portable copy); else %1\n"
            "(made on first start, with the template copied from share/corvane). With no\n"
            "IC706.INI there, a first-start dialog asks for the serial port and the radio.\n"
            "Settings keys: [SETTINGS] ADDR706 (CI-V address, decimal, default 72), COMPORT\n"
            "(1-4, default 2), COM1..COM4 (device of each port), BAUD (300-19200, default\n"
            "9600); [BOOKMARKS] BOOK0, BOOK0CAPTION, BOOKn, BOOKnCAPTION (database files and\n"
            "their menu captions). A port that cannot be opened at start offers another one,\n"
            "or the window without the radio.")
            .arg(userDataFolder()));
    parser.addHelpOption();
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("Folder of the settings file and databases."),
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
    parser.addOptions(sharingOptions());
    parser.process(app);

    Options options;
    options.demo = parser.isSet(demo);
    options.dirGiven = parser.isSet(dir);
    options.screenshot = parser.value(shot);
    options.quitAfter = parser.value(after).toDouble();
    options.sharing = sharingArguments(parser);
    return options;
}

/** Starts the demo's radio and writes its settings into the demo folder: appPath when
 *  --demo --dir names it, else the default one (also when the demo was chosen on the first
 *  start, so the folder asked about stays unconfigured). nullptr after telling why not. */
std::unique_ptr<DemoSession> startDemo(const Options& options, QString* appPath)
{
    if (!options.demo || !options.dirGiven)
        *appPath = withTrailingSeparator(DemoSession::defaultDirectory());
    auto demo = std::make_unique<DemoSession>();
    QString error;
    if (!demo->prepare(*appPath, &error)) {
        std::fprintf(stderr, "corvane: demo: %s\n", qPrintable(error));
        return nullptr;
    }
    return demo;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("corvane"));
    const Options options = parseOptions(app);

    StartPlaces places;
    places.folder = chooseDataFolder(QApplication::arguments(),
                                     inspectExecutableFolder(QApplication::applicationDirPath()),
                                     userDataFolder());
    places.templateFile = sharedFilePath(QLatin1String(kTemplateFileName));
    int exitCode = 0;
    const StartRoute route = prepareStart(places, options.demo, &exitCode);
    if (route == StartRoute::Quit)
        return exitCode;
    QString appPath = places.folder.appPath;
    std::unique_ptr<DemoSession> demo;
    if (route == StartRoute::Demo) {
        demo = startDemo(options, &appPath);
        if (!demo)
            return 1;
    }

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
                     &F706::endProgram);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, window.get(),
                     [&window] { window->writePendingAtQuit(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, window.get(), &F706::endProgram);
    window->setWindowTitle(windowTitleFor(DataFolder{appPath, places.folder.use}));
    window->show();
    SharingController sharing(window.get());
    if (const QString error = sharing.start(options.sharing); !error.isEmpty())
        std::fprintf(stderr, "corvane: %s\n", qPrintable(error));
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
