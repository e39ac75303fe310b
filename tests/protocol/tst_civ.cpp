#include "protocol/civ.h"

#include <QTest>

class TestCiv : public QObject {
    Q_OBJECT

private slots:
    void hex2Dec_data();
    void hex2Dec();
    void bcd2String_data();
    void bcd2String();
    void frameText_data();
    void frameText();
    void modes_data();
    void modes();
};

void TestCiv::hex2Dec_data()
{
    QTest::addColumn<QString>("numHex");
    QTest::addColumn<int>("byte");  // -1: the conversion fails
    QTest::newRow("14") << "14" << 0x14;
    QTest::newRow("99 is the largest") << "99" << 0x99;
    QTest::newRow("05") << "05" << 0x05;
    QTest::newRow("90") << "90" << 0x90;
    QTest::newRow("single 0") << "0" << 0x00;
    QTest::newRow("single 5 is first and last") << "5" << 0x55;
    QTest::newRow("147 ignores the middle") << "147" << 0x17;
    QTest::newRow("0A") << "0A" << -1;
    QTest::newRow("A0") << "A0" << -1;
    QTest::newRow("lower-case a") << "a1" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("leading blank") << " 5" << -1;
    QTest::newRow("trailing blank") << "5 " << -1;
    QTest::newRow("sign") << "-1" << -1;
    QTest::newRow("non-ASCII digit") << QString(QChar(0x0663)) + u'1' << -1;
    QTest::newRow("full-width digit") << u'1' + QString(QChar(0xFF11)) << -1;
}

void TestCiv::hex2Dec()
{
    QFETCH(QString, numHex);
    QFETCH(int, byte);
    const std::optional<quint8> packed = Hex2Dec(numHex);
    QCOMPARE(packed ? int(*packed) : -1, byte);
}

void TestCiv::bcd2String_data()
{
    QTest::addColumn<QString>("byteString");
    QTest::addColumn<QString>("display");
    QTest::newRow("145.400.000 with FD") << "0000404501FD"
                                         << "145.400.000";
    QTest::newRow("145.400.000 bare") << "0000404501"
                                      << "145.400.000";
    QTest::newRow("7.050.500") << "0005050700"
                               << "7.050.500";
    QTest::newRow("455 kHz starts with a dot") << "0050450000"
                                               << ".455.000";
    QTest::newRow("0 Hz") << "0000000000"
                          << ".000.000";
    QTest::newRow("1 GHz digit dropped") << "0000000010"
                                         << ".000.000";
    QTest::newRow("199.999.999") << "9999999901"
                                 << "199.999.999";
    QTest::newRow("100 MHz") << "0000000001"
                             << "100.000.000";
    QTest::newRow("every digit in its place") << "1234567890"
                                              << "78.563.412";
    QTest::newRow("1 Hz keeps inner zeros") << "0100000000"
                                            << ".000.001";
    QTest::newRow("FD alone") << "FD"
                              << "..FD";
    QTest::newRow("empty") << ""
                           << "..";
    QTest::newRow("short text") << "00004045"
                                << "45.400.000";
    QTest::newRow("odd length") << "000040450"
                                << "45.400.000";
}

void TestCiv::bcd2String()
{
    QFETCH(QString, byteString);
    QFETCH(QString, display);
    QCOMPARE(BCD2STRING(byteString), display);
}

void TestCiv::frameText_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("text");
    QTest::newRow("05 has a leading zero") << QByteArray("\x05", 1) << "05";
    QTest::newRow("0A upper case") << QByteArray("\x0A", 1) << "0A";
    QTest::newRow("00") << QByteArray(1, '\0') << "00";
    QTest::newRow("72 is 48") << QByteArray("\x48", 1) << "48";
    QTest::newRow("78 is 4E") << QByteArray("\x4E", 1) << "4E";
    QTest::newRow("FF") << QByteArray("\xFF", 1) << "FF";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("announce 145.400.000")
        << QByteArray::fromHex("FEFE0048000000404501FD") << "FEFE0048000000404501FD";
}

void TestCiv::frameText()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, text);
    QCOMPARE(::frameText(frame), text);
    if (frame.size() == 1)
        QCOMPARE(addressText(quint8(frame.at(0))), text);
}

void TestCiv::modes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");  // above 6: no mode has this name or code
    const char* const names[] = {"LSB", "USB", "AM", "CW", "RTTY", "FM", "WFM"};
    for (int code = 0; code < 7; ++code)
        QTest::newRow(names[code]) << QString::fromLatin1(names[code]) << code;
    QTest::newRow("code 7 has no name") << "" << 7;
    QTest::newRow("lower case") << "fm" << 99;
    QTest::newRow("trailing blank") << "FM " << 99;
    QTest::newRow("other mode") << "DV" << 99;
}

void TestCiv::modes()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    const std::optional<quint8> parsed = modeCode(name);
    QCOMPARE(parsed ? int(*parsed) : 99, code > 6 ? 99 : code);
    QCOMPARE(modeName(quint8(code)), code > 6 ? QString() : name);
}

QTEST_APPLESS_MAIN(TestCiv)
#include "tst_civ.moc"
