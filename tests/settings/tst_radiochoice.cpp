// Section RADIO: the radio chosen, read from and written to a real settings file.
#include "settings/inifile.h"
#include "settings/radiochoice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(RadioChoice)

class TestRadioChoice : public QObject {
    Q_OBJECT
private slots:
    void readAndWrite_data();
    void readAndWrite();
};

namespace {

RadioChoice hamlib(int model, const QString& device, qint32 baud)
{
    RadioChoice choice;
    choice.backend = RadioBackendKind::Hamlib;
    choice.hamlibModel = model;
    choice.device = device;
    choice.baud = baud;
    return choice;
}

RadioChoice remote(const QString& address)
{
    RadioChoice choice;
    choice.backend = RadioBackendKind::Remote;
    choice.remote = address;
    return choice;
}

/** A section SETTINGS as a settings file of the native path holds it. */
const QByteArray kNativeSettings =
    "[SETTINGS]\r\nCOMPORT=1\r\nCOM1=/dev/ttyUSB0\r\n"
    "ADDR706=88\r\nBAUD=19200\r\n";

}  // namespace

void TestRadioChoice::readAndWrite_data()
{
    // A file's text; what readRadioChoice makes of it (or the error text it must contain);
    // then, for a good choice, the choice written over that file and read back.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<RadioChoice>("expected");
    QTest::addColumn<QString>("errorDetail");

    const RadioChoice native;
    QTest::newRow("no settings file: native") << QByteArray() << true << native << "";
    QTest::newRow("no section RADIO: native, SETTINGS's line")
        << kNativeSettings << true << native << "";
    QTest::newRow("RADIO without BACKEND: native")
        << kNativeSettings + "[RADIO]\r\nHAMLIBMODEL=3011\r\n"
        << true << native << "";
    QTest::newRow("native, other keys kept aside")
        << QByteArray("[RADIO]\nBACKEND=Native\nREMOTE=shack:4532\nHAMLIBMODEL=3011\n") << true
        << native << "";
    QTest::newRow("hamlib")
        << QByteArray(
               "[RADIO]\nBACKEND=hamlib\nHAMLIBMODEL=3011\nDEVICE=/dev/ttyUSB1\n"
               "BAUD=19200\n")
        << true << hamlib(3011, "/dev/ttyUSB1", 19200) << "";
    QTest::newRow("hamlib without BAUD: 9600")
        << QByteArray("[RADIO]\nBACKEND=hamlib\nHAMLIBMODEL=1\nDEVICE= /dev/ttyS0 \n") << true
        << hamlib(1, "/dev/ttyS0", 9600) << "";
    QTest::newRow("remote") << QByteArray("[RADIO]\nBACKEND=remote\nREMOTE=shack.lan:4532\n")
                            << true << remote("shack.lan:4532") << "";
    QTest::newRow("remote, IPv6 in brackets")
        << QByteArray("[RADIO]\nBACKEND=REMOTE\nREMOTE=[::1]:4533\n") << true
        << remote("[::1]:4533") << "";

    const auto bad = [&](const char* name, const QByteArray& radio, const char* detail) {
        QTest::newRow(name) << QByteArray("[RADIO]\n" + radio) << false << native << detail;
    };
    bad("unknown backend", "BACKEND=serial\n", "BACKEND=serial");
    bad("empty backend", "BACKEND=\n", "BACKEND=:");
    bad("hamlib without model", "BACKEND=hamlib\nDEVICE=/dev/ttyS0\n", "HAMLIBMODEL=");
    bad("hamlib model no number", "BACKEND=hamlib\nHAMLIBMODEL=ic706\nDEVICE=/dev/ttyS0\n",
        "HAMLIBMODEL=ic706");
    bad("hamlib model 0", "BACKEND=hamlib\nHAMLIBMODEL=0\nDEVICE=/dev/ttyS0\n", "HAMLIBMODEL=0");
    bad("hamlib model too high", "BACKEND=hamlib\nHAMLIBMODEL=100000\nDEVICE=/dev/ttyS0\n",
        "HAMLIBMODEL=100000");
    bad("hamlib baud too low", "BACKEND=hamlib\nHAMLIBMODEL=3011\nDEVICE=/dev/ttyS0\nBAUD=10\n",
        "BAUD=10");
    bad("hamlib baud no number", "BACKEND=hamlib\nHAMLIBMODEL=3011\nDEVICE=/dev/ttyS0\nBAUD=fast\n",
        "BAUD=fast");
    bad("hamlib without device", "BACKEND=hamlib\nHAMLIBMODEL=3011\n", "DEVICE=:");
    bad("remote without REMOTE", "BACKEND=remote\n", "REMOTE=:");
    bad("remote without port", "BACKEND=remote\nREMOTE=shack\n", "REMOTE=shack:");
    bad("remote port 0", "BACKEND=remote\nREMOTE=shack:0\n", "REMOTE=shack:0:");
    bad("remote port too high", "BACKEND=remote\nREMOTE=shack:65536\n", "REMOTE=shack:65536:");
    bad("remote without host", "BACKEND=remote\nREMOTE=:4532\n", "REMOTE=:4532:");
}

void TestRadioChoice::readAndWrite()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, readable);
    QFETCH(RadioChoice, expected);
    QFETCH(QString, errorDetail);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("IC706.INI"));
    if (!file.isNull()) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }

    AppError error;
    const std::optional<RadioChoice> read = readRadioChoice(path, &error);
    if (!readable) {
        QVERIFY(!read);
        QVERIFY2(error.text.contains(errorDetail), qPrintable(error.text));
        return;
    }
    QVERIFY2(read, qPrintable(error.text));
    QCOMPARE(*read, expected);

    // Every backend written over this file reads back as written, and section SETTINGS's
    // line is left as it was.
    const QString lineBefore = readIniValue(path, "SETTINGS", "COM1", "-", kIniLongValueLength);
    for (const RadioChoice& choice : std::initializer_list<RadioChoice>{
             *read, hamlib(3011, "/dev/serial/by-id/usb-radio-if00-port0", 4800),
             remote("127.0.0.1:4532"), RadioChoice{}}) {
        QVERIFY2(writeRadioChoice(path, choice, &error), qPrintable(error.text));
        const std::optional<RadioChoice> back = readRadioChoice(path, &error);
        QVERIFY2(back, qPrintable(error.text));
        QCOMPARE(*back, choice);
        QCOMPARE(readIniValue(path, "SETTINGS", "COM1", "-", kIniLongValueLength), lineBefore);
    }
    // Switching backends keeps the others' keys: the Hamlib radio is still there to go back to.
    QCOMPARE(ReadINI(path, "RADIO", "HAMLIBMODEL", ""), "3011");
    QCOMPARE(ReadINI(path, "RADIO", "REMOTE", ""), "127.0.0.1:4532");
}

QTEST_GUILESS_MAIN(TestRadioChoice)
#include "tst_radiochoice.moc"
