#include "app/demosession.h"
#include "common/terminationsignals.h"
#include "common/version.h"
#include "memory/bookmarkfiles.h"
#include "settings/apppath.h"
#include "ui/f706.h"
#include "ui/firststart.h"
#include "ui/programstart.h"
#include "ui/sharingcontroller.h"
#include "ui/windowplace.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSessionManager>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

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
    QString logFrames;  ///< --log-frames FILE; empty: no frame log
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

/** The program's options on parser; the options of a run are read back through them. */
struct OptionSet {
    QCommandLineOption dir{QStringLiteral("dir"),
                           QStringLiteral("Folder of the settings file and databases."),
                           QStringLiteral("DIR")};
    QCommandLineOption demo{QStringLiteral("demo"),
                            QStringLiteral("Run against a virtual radio in this process.")};
    QCommandLineOption shot{QStringLiteral("screenshot"),
                            QStringLiteral("With --demo: save a picture of the window to FILE, "
                                           "then quit."),
                            QStringLiteral("FILE")};
    QCommandLineOption after{QStringLiteral("quit-after"),
                             QStringLiteral("Seconds before the screenshot (default 4)."),
                             QStringLiteral("SECONDS"), QStringLiteral("4")};
    QCommandLineOption logFrames{QStringLiteral("log-frames"),
                                 QStringLiteral("Write every frame sent to and received from "
                                                "the radio, with its time, to FILE."),
                                 QStringLiteral("FILE")};
};

void describeOptions(QCommandLineParser& parser, const OptionSet& set)
{
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
            "9600), GEOMETRY (the window's place and size); [BOOKMARKS] BOOK0, BOOK0CAPTION,\n"
            "BOOKn, BOOKnCAPTION (database files and their menu captions); [NETWORK]\n"
            "RIGCTLPORT, RIGCTLADDRESS (sharing). A port that cannot be opened at start offers\n"
            "another one, or the window without the radio. More in the manual: man corvane.")
            .arg(userDataFolder()));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({set.dir, set.demo, set.shot, set.after, set.logFrames});
    parser.addOptions(sharingOptions());
}

/** Options that QApplication takes for itself (see QApplication and QGuiApplication). */
bool isWindowSystemOption(const QString& name)
{
    static const QStringList kNames = {QStringLiteral("platform"),
                                       QStringLiteral("platformpluginpath"),
                                       QStringLiteral("platformtheme"),
                                       QStringLiteral("plugin"),
                                       QStringLiteral("qwindowgeometry"),
                                       QStringLiteral("qwindowicon"),
                                       QStringLiteral("qwindowtitle"),
                                       QStringLiteral("reverse"),
                                       QStringLiteral("session"),
                                       QStringLiteral("style"),
                                       QStringLiteral("stylesheet"),
                                       QStringLiteral("widgetcount"),
                                       QStringLiteral("display"),
                                       QStringLiteral("geometry"),
                                       QStringLiteral("title"),
                                       QStringLiteral("name"),
                                       QStringLiteral("visual"),
                                       QStringLiteral("ncols"),
                                       QStringLiteral("cmap"),
                                       QStringLiteral("nograb"),
                                       QStringLiteral("dograb"),
                                       QStringLiteral("sync"),
                                       QStringLiteral("fn"),
                                       QStringLiteral("font"),
                                       QStringLiteral("bg"),
                                       QStringLiteral("background"),
                                       QStringLiteral("fg"),
                                       QStringLiteral("foreground"),
                                       QStringLiteral("btn"),
                                       QStringLiteral("button"),
                                       QStringLiteral("im"),
                                       QStringLiteral("inputstyle")};
    return kNames.contains(name);
}

/** --help, --version and a wrong option are answered here, before anything touches the
 *  window system, so they work without a display. Returns the exit status when the program
 *  is to end now, else std::nullopt. Options of the window system are left to QApplication. */
std::optional<int> answerBeforeWindows(int argc, char** argv)
{
    int count = argc;
    const QCoreApplication early(count, argv);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const OptionSet set;
    describeOptions(parser, set);
    if (!parser.parse(QCoreApplication::arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty() ||
            !std::all_of(unknown.begin(), unknown.end(), isWindowSystemOption)) {
            std::fprintf(stderr, "corvane: %s\n", qPrintable(parser.errorText()));
            return 1;
        }
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    return std::nullopt;
}

Options parseOptions(const QApplication& app)
{
    QCommandLineParser parser;
    const OptionSet set;
    describeOptions(parser, set);
    parser.process(app);

    Options options;
    options.demo = parser.isSet(set.demo);
    options.dirGiven = parser.isSet(set.dir);
    options.screenshot = parser.value(set.shot);
    options.quitAfter = parser.value(set.after).toDouble();
    options.logFrames = parser.value(set.logFrames);
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
    QCoreApplication::setApplicationName(QStringLiteral("corvane"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kCorvaneVersion));
    if (const std::optional<int> status = answerBeforeWindows(argc, argv))
        return *status;
    QApplication app(argc, argv);
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

    std::unique_ptr<F706> window =
        startMainWindow(appPath, &exitCode, QLatin1String(kSerialByIdFolder), options.logFrames);
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
    restoreWindowPlace(window.get(), window->settingsFile());
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
