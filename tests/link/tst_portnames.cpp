#include "link/portnames.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPortNames : public QObject {
    Q_OBJECT

private slots:
    void device_data();
    void device();
};

void TestPortNames::device_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("expected");
    const QByteArray usb = "[SETTINGS]\nCOMPORT=2\nCOM2=/dev/ttyUSB0\n";
    const QString byId = QStringLiteral(
        "/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0");
    QTest::newRow("no file, port 1") << QByteArray() << 1 << "/dev/ttyS0";
    QTest::newRow("no file, port 4") << QByteArray() << 4 << "/dev/ttyS3";
    QTest::newRow("override") << usb << 2 << "/dev/ttyUSB0";
    QTest::newRow("override is for its port only") << usb << 1 << "/dev/ttyS0";
    QTest::newRow("long by-id path read whole") << "[SETTINGS]\nCOM3=" + byId.toUtf8() + '\n'
                                                << 3 << byId;
    QTest::newRow("empty override") << QByteArray("[SETTINGS]\nCOM3=\n") << 3 << "/dev/ttyS2";
    QTest::newRow("override in another section")
        << QByteArray("[BOOKMARKS]\nCOM3=/dev/ttyUSB1\n") << 3 << "/dev/ttyS2";
    QTest::newRow("port 0 has no device") << usb << 0 << "";
}

void TestPortNames::device()
{
    QFETCH(QByteArray, contents);
    QFETCH(int, port);
    QFETCH(QString, expected);
#ifdef Q_OS_WIN
    QSKIP("the default device names in this table are Linux names");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString settings = dir.filePath(QStringLiteral("IC706.INI"));
    if (!contents.isEmpty()) {
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(contents), contents.size());
    }
    QCOMPARE(portDevice(port, settings), expected);
}

QTEST_GUILESS_MAIN(TestPortNames)
#include "tst_portnames.moc"
