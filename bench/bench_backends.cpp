// Recall and display over each way to the radio, in one run, three windows (offscreen):
//   native    the IC-706 family's own CI-V line to corvane-sim (transceive on, POLL=auto)
//   Hamlib    Hamlib's IC-706MKIIG backend (model 3011) to corvane-sim at 88, POLL=1
//   remote    a radio on another computer: a window reaching the native window's radio
//             through that window's sharing on 127.0.0.1 (Corvane to Corvane), POLL=1
// Figures (p50 and worst of the turns):
//   recall            time from RECALL on a split memory (seven steps) until the radio model
//                     has nothing left to send or await, every step confirmed by the radio
//   change -> display time from a front-panel frequency change on the radio until the
//                     window's radio state shows it
//
//   bench_backends [turns]      (default 6)

#include "benchfigures.h"
#include "hamlib/hamlibbackend.h"
#include "hamlib/hamlibradio.h"
#include "net/rigctlserver.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "settings/apppath.h"
#include "settings/inifile.h"
#include "settings/radiochoice.h"
#include "support/memoryfixture.h"
#include "support/simprocess.h"
#include "ui/f706.h"
#include "ui/messagebox.h"
#include "ui/sharingcontroller.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kGiveUpMs = 30'000;

/** 7001000 -> "7.001.000", as the display shows it. */
QString displayText(quint64 hz)
{
    return QStringLiteral("%1.%2.%3")
        .arg(hz / 1'000'000)
        .arg(hz / 1000 % 1000, 3, 10, QLatin1Char('0'))
        .arg(hz % 1000, 3, 10, QLatin1Char('0'));
}

/** One window with its own settings folder and two split memories. */
struct Station {
    const char* name;
    QTemporaryDir dir;
    std::unique_ptr<F706> window;

    bool start(const QList<std::pair<QString, QString>>& settings, const RadioChoice& choice)
    {
        const QString appPath = withTrailingSeparator(dir.path());
        const QString file = settingsFilePath(appPath);
        const auto split = [](const char* name, const char* khz, const char* splitKhz) {
            return fixture::Row{name, "145", khz, "000", "FM", "145", splitKhz, "000", 1, ""};
        };
        fixture::makeDatabase(dir.path(), "HOME.MDB",
                              {split("One", "600", "000"), split("Two", "650", "050")});
        AppError error;
        bool written = WriteINI(file, "BOOKMARKS", "BOOK0CAPTION", "Home", &error) &&
                       WriteINI(file, "BOOKMARKS", "BOOK0", "HOME.MDB", &error);
        for (const auto& [key, value] : settings)
            written = written && WriteINI(file, "SETTINGS", key, value, &error);
        if (written && choice.backend != RadioBackendKind::Native)
            written = writeRadioChoice(file, choice, &error);
        window = std::make_unique<F706>(appPath);
        if (!written || !window->Form_Load(&error)) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(error.text));
            return false;
        }
        return bench::waitUntil([this] { return window->radioState()->isOpen() && idle(); },
                                kGiveUpMs);
    }

    /** Nothing waits to be sent or answered, in the radio model or in Hamlib. */
    bool idle() const
    {
        const auto* hamlib = qobject_cast<const HamlibBackend*>(window->radioBackend());
        return window->radioCommands()->idle() && (!hamlib || hamlib->radio()->pendingCount() == 0);
    }

    /** RECALL on the memory called name; the time until every step was answered, in ms. */
    double recall(const QString& memory)
    {
        auto* grid = window->findChild<QTableView*>(QStringLiteral("DBGrid1"));
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
            if (grid->model()->index(row, 0).data().toString() == memory)
                grid->setCurrentIndex(grid->model()->index(row, 1));
        }
        QElapsedTimer clock;
        clock.start();
        window->findChild<QAbstractButton*>(QStringLiteral("Crecall"))->click();
        if (!bench::waitUntil([this] { return idle(); }, kGiveUpMs))
            return -1;
        return double(clock.nsecsElapsed()) / 1e6;
    }

    /** A turn of the knob on sim: the time until this window shows hz, in ms. */
    double follow(SimProcess& sim, quint64 hz)
    {
        QElapsedTimer clock;
        clock.start();
        if (!sim.command(QStringLiteral("freq %1").arg(hz)))
            return -1;
        const QString shown = displayText(hz);
        if (!bench::waitUntil([&] { return window->radioState()->frequencyText() == shown; },
                              kGiveUpMs))
            return -1;
        return double(clock.nsecsElapsed()) / 1e6;
    }
};

void print(const char* what, const char* name, const std::vector<double>& ms)
{
    std::printf("  %-18s %-28s p50 %8.1f ms   worst %8.1f ms   (%zu)\n", what, name,
                bench::percentile(ms, 0.5), bench::percentile(ms, 1.0), ms.size());
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int turns = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 6;
    setMessageHandler([](const MessageRequest& request) {
        std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return QMessageBox::Ok;
    });

    SimProcess shackRadio;
    SimProcess hamlibRadio;
    if (!shackRadio.start({QStringLiteral("--transceive"), QStringLiteral("on")}) ||
        !hamlibRadio.start({QStringLiteral("--address"), QStringLiteral("88")})) {
        std::fprintf(stderr, "corvane-sim: %s%s\n", qPrintable(shackRadio.errorString()),
                     qPrintable(hamlibRadio.errorString()));
        return 1;
    }
    const RadioChoice native;
    Station shack{"native", {}, {}};
    if (!shack.start({{"COM2", shackRadio.devicePath()}, {"STARTUP", "keep"}}, native))
        return 1;
    SharingController sharing(shack.window.get());
    QString error;
    if (!sharing.server()->listen(QHostAddress::LocalHost, 0, &error)) {
        std::fprintf(stderr, "sharing: %s\n", qPrintable(error));
        return 1;
    }
    RadioChoice hamlibChoice;
    hamlibChoice.backend = RadioBackendKind::Hamlib;
    hamlibChoice.hamlibModel = 3011;
    hamlibChoice.device = hamlibRadio.devicePath();
    Station hamlib{"Hamlib 3011", {}, {}};
    if (!hamlib.start({{"ADDR706", "88"}, {"POLL", "1"}, {"STARTUP", "keep"}}, hamlibChoice))
        return 1;
    RadioChoice remoteChoice;
    remoteChoice.backend = RadioBackendKind::Remote;
    remoteChoice.remote = QStringLiteral("127.0.0.1:%1").arg(sharing.server()->port());
    Station remote{"remote (Corvane to Corvane)", {}, {}};
    if (!remote.start({{"POLL", "1"}, {"STARTUP", "keep"}}, remoteChoice))
        return 1;

    std::printf("bench_backends: %d turns each\n", turns);
    struct Way {
        Station* station;
        SimProcess* radio;
    };
    const Way ways[] = {{&shack, &shackRadio}, {&hamlib, &hamlibRadio}, {&remote, &shackRadio}};
    for (const Way& way : ways) {
        std::vector<double> recalls;
        std::vector<double> follows;
        for (int turn = 0; turn < turns; ++turn) {
            const double ms =
                way.station->recall(turn % 2 ? QStringLiteral("Two") : QStringLiteral("One"));
            const double shown = way.station->follow(*way.radio, 7'001'000 + 1000 * turn);
            if (ms < 0 || shown < 0) {
                std::fprintf(stderr, "%s: no answer in time\n", way.station->name);
                return 1;
            }
            recalls.push_back(ms);
            follows.push_back(shown);
        }
        print("recall", way.station->name, recalls);
        print("change -> display", way.station->name, follows);
    }
    return 0;
}
