// corvane-sim: the virtual radio as a program. Prints the device path on the first line of
// standard output, takes front-panel commands on standard input (one a line, each answered
// on standard output with "OK <what was done>" or "ERROR <why>"), and logs every frame it
// receives (see simlog.h for the log format).

#include "common/terminationsignals.h"
#include "common/version.h"
#include "protocol/civ.h"
#include "sim/devicesymlink.h"
#include "sim/frontpanel.h"
#include "sim/simcodec.h"
#include "sim/simlog.h"
#include "sim/stdinreader.h"
#include "sim/virtualradio.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {

struct Options {
    quint8 address = civ::kDefaultRadioAddress;
    QString linkPath;
    QString logPath;
    bool transceive = true;
};

void printLine(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

/** A closed standard stream would let the pseudo-terminal take its number (and the front
 *  panel read the line); point any closed one at /dev/null. */
void guardStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0) {
            const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != fd) {
                ::dup2(opened, fd);
                ::close(opened);
            }
        }
    }
}

std::optional<quint8> parseAddress(const QString& text)
{
    const std::optional<quint64> value = simcodec::parseNumber(text);
    if (!value || *value > 0xFF) {
        return std::nullopt;
    }
    return quint8(*value);
}

std::optional<Options> parseOptions(const QCoreApplication& app, QString* error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A virtual CI-V transceiver on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also make a symbolic link to the device."),
                                  QStringLiteral("path"));
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("CI-V address, decimal or 0x.. (default 72)."),
                                     QStringLiteral("n"), QStringLiteral("72"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Log to this file (default standard error)."),
                                 QStringLiteral("file"));
    const QCommandLineOption transceive(
        QStringLiteral("transceive"),
        QStringLiteral("CI-V transceive: on announces the radio's own changes to address 00, "
                       "off announces nothing (default on)."),
        QStringLiteral("on|off"), QStringLiteral("on"));
    parser.addOptions({link, address, log, transceive});
    parser.process(app);
    Options options;
    const std::optional<quint8> parsed = parseAddress(parser.value(address));
    if (!parsed) {
        *error = QStringLiteral("--address needs a number 0-255 (72 or 0x48)");
        return std::nullopt;
    }
    options.address = *parsed;
    const QString transceiveValue = parser.value(transceive).toLower();
    if (transceiveValue != QLatin1String("on") && transceiveValue != QLatin1String("off")) {
        *error = QStringLiteral("--transceive needs on or off");
        return std::nullopt;
    }
    options.transceive = transceiveValue == QLatin1String("on");
    options.linkPath = parser.value(link);
    options.logPath = parser.value(log);
    return options;
}

void connectLog(VirtualRadio* radio, SimLog* log)
{
    QObject::connect(radio, &VirtualRadio::frameReceived, radio, [log](const QByteArray& frame) {
        log->write(QStringLiteral("RX"), frameText(frame));
    });
    QObject::connect(radio, &VirtualRadio::bytesSent, radio, [log](const QByteArray& bytes) {
        log->write(QStringLiteral("TX"), frameText(bytes));
    });
    QObject::connect(radio, &VirtualRadio::sendRefused, radio,
                     [log](const QByteArray& bytes, const QString& reason) {
                         log->write(
                             QStringLiteral("DROP"),
                             QStringLiteral("%1 bytes not sent: %2").arg(bytes.size()).arg(reason));
                     });
}

void connectFrontPanel(StdinReader* reader, FrontPanel* panel, SimLog* log)
{
    QObject::connect(reader, &StdinReader::lineRead, reader, [panel, log](const QString& line) {
        if (line.isEmpty()) {
            return;
        }
        const FrontPanel::Result result = panel->execute(line);
        log->write(QStringLiteral("CMD"), line + QStringLiteral(" -> ") + result.message);
        printLine((result.ok ? QStringLiteral("OK ") : QStringLiteral("ERROR ")) + result.message);
        if (result.quit) {
            QCoreApplication::quit();
        }
    });
    QObject::connect(reader, &StdinReader::finished, reader, [log] {
        log->write(QStringLiteral("INFO"), QStringLiteral("standard input closed; running on"));
    });
}

int fail(const QString& message)
{
    std::fputs(qPrintable(QStringLiteral("corvane-sim: %1\n").arg(message)), stderr);
    return 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    guardStandardStreams();
    std::signal(SIGPIPE, SIG_IGN);  // a reader that went away is no reason to die
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kCorvaneVersion));
    QString error;
    const std::optional<Options> options = parseOptions(app, &error);
    SimLog log;
    if (!options) {
        return fail(error);
    }
    if (!log.open(options->logPath, &error)) {
        return fail(QStringLiteral("cannot open the log %1: %2").arg(options->logPath, error));
    }
    VirtualRadio radio(options->address);
    radio.setTransceive(options->transceive);
    TerminationSignals watcher;
    if (!radio.start(&error) || !watcher.start(&error)) {
        return fail(error);
    }
    DeviceSymlink symlink;
    if (!options->linkPath.isEmpty() &&
        !symlink.create(radio.devicePath(), options->linkPath, &error)) {
        return fail(error);
    }
    printLine(radio.devicePath());
    connectLog(&radio, &log);
    QObject::connect(&watcher, &TerminationSignals::endRequested, &app,
                     [](int) { QCoreApplication::quit(); });
    FrontPanel panel(&radio);
    StdinReader reader;
    connectFrontPanel(&reader, &panel, &log);
    reader.start();
    log.write(QStringLiteral("INFO"),
              QStringLiteral("address %1 on %2, transceive %3")
                  .arg(addressText(options->address), radio.devicePath(),
                       options->transceive ? QStringLiteral("on") : QStringLiteral("off")));
    const int status = app.exec();
    log.write(QStringLiteral("INFO"), QStringLiteral("stopped"));
    return status;
}
