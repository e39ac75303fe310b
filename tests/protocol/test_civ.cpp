#include "protocol/civ.h"

#include <QTest>

class TestCiv : public QObject {
    Q_OBJECT

private slots:
    void hex2DecPacksFirstAndLastDigit_data();
    void hex2DecPacksFirstAndLastDigit();
    void hex2DecRejectsNonDecimal_data();
    void hex2DecRejectsNonDecimal();
    void bcd2String_data();
    void bcd2String();
    void frameTextIsTwoUpperCaseDigitsPerByte_data();
    void frameTextIsTwoUpperCaseDigitsPerByte();
    void addressText_data();
    void addressText();
    void modeNamesAndCodes_data();
    void modeNamesAndCodes();
    void unknownModes_data();
    void unknownModes();
};

void TestCiv::hex2DecPacksFirstAndLastDigit_data()
{
    QTest::addColumn<QString>("numHex");
    QTest::addColumn<int>("byte");
    QTest::newRow("14") << "14" << 0x14;
    QTest::newRow("99 is the largest") << "99" << 0x99;
    QTest::newRow("05") << "05" << 0x05;
    QTest::newRow("00") << "00" << 0x00;
    QTest::newRow("90") << "90" << 0x90;
    QTest::newRow("single 0") << "0" << 0x00;
    QTest::newRow("single 5 is first and last") << "5" << 0x55;
    QTest::newRow("147 ignores the middle") << "147" << 0x17;
}

void TestCiv::hex2DecPacksFirstAndLastDigit()
{
    QFETCH(QString, numHex);
    QFETCH(int, byte);
    const std::optional<quint8> packed = Hex2Dec(numHex);
    QVERIFY(packed.has_value());
    QCOMPARE(int(*packed), byte);
}

void TestCiv::hex2DecRejectsNonDecimal_data()
{
    QTest::addColumn<QString>("numHex");
    QTest::newRow("0A") << "0A";
    QTest::newRow("A0") << "A0";
    QTest::newRow("lower-case a") << "a1";
    QTest::newRow("empty") << "";
    QTest::newRow("leading blank") << " 5";
    QTest::newRow("trailing blank") << "5 ";
    QTest::newRow("sign") << "-1";
    QTest::newRow("non-ASCII digit") << QString(QChar(0x0663)) + u'1';
    QTest::newRow("full-width digit") << u'1' + QString(QChar(0xFF11));
}

void TestCiv::hex2DecRejectsNonDecimal()
{
    QFETCH(QString, numHex);
    QVERIFY(!Hex2Dec(numHex).has_value());
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

void TestCiv::frameTextIsTwoUpperCaseDigitsPerByte_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("text");
    QTest::newRow("05") << QByteArray("\x05", 1) << "05";
    QTest::newRow("0A") << QByteArray("\x0A", 1) << "0A";
    QTest::newRow("00") << QByteArray(1, '\0') << "00";
    QTest::newRow("FD") << QByteArray("\xFD", 1) << "FD";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("announce 145.400.000")
        << QByteArray::fromHex("FEFE0048000000404501FD") << "FEFE0048000000404501FD";
}

void TestCiv::frameTextIsTwoUpperCaseDigitsPerByte()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, text);
    QCOMPARE(frameText(frame), text);
    if (frame.size() == 1)
        QCOMPARE(byteText(quint8(frame.at(0))), text);
}

void TestCiv::addressText_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("text");
    QTest::newRow("72 default") << 72 << "48";
    QTest::newRow("5 has a leading zero") << 5 << "05";
    QTest::newRow("0") << 0 << "00";
    QTest::newRow("78") << 78 << "4E";
    QTest::newRow("controller") << 224 << "E0";
    QTest::newRow("255") << 255 << "FF";
}

void TestCiv::addressText()
{
    QFETCH(int, address);
    QFETCH(QString, text);
    QCOMPARE(::addressText(quint8(address)), text);
}

void TestCiv::modeNamesAndCodes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    const char* const names[] = {"LSB", "USB", "AM", "CW", "RTTY", "FM", "WFM"};
    for (int code = 0; code < 7; ++code)
        QTest::newRow(names[code]) << QString::fromLatin1(names[code]) << code;
}

void TestCiv::modeNamesAndCodes()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    QCOMPARE(modeCode(name), std::optional<quint8>(quint8(code)));
    QCOMPARE(modeName(quint8(code)), name);
}

void TestCiv::unknownModes_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("lower case") << "fm";
    QTest::newRow("trailing blank") << "FM ";
    QTest::newRow("empty") << "";
    QTest::newRow("other mode") << "DV";
}

void TestCiv::unknownModes()
{
    QFETCH(QString, name);
    QVERIFY(!modeCode(name).has_value());
    QVERIFY(modeName(7).isEmpty());
    QVERIFY(modeName(255).isEmpty());
}

QTEST_APPLESS_MAIN(TestCiv)
#include "test_civ.moc"
