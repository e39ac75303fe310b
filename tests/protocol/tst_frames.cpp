#include "protocol/frames.h"

#include <QTest>

namespace {

/** Bytes from hexadecimal text with blanks: "FE FE 48" -> FE FE 48. */
QByteArray bytes(const char* hex)
{
    return QByteArray::fromHex(QByteArray(hex));
}

}  // namespace

class TestFrames : public QObject {
    Q_OBJECT

private slots:
    void frequencyFromNineDigits_data();
    void frequencyFromNineDigits();
    void frequencyFromStored_data();
    void frequencyFromStored();
    void singleByteCommands_data();
    void singleByteCommands();
};

void TestFrames::frequencyFromNineDigits_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QByteArray>("frame");  // empty: refused, nothing to send
    QTest::newRow("145.400.000 at 48")
        << 0x48 << "145400000" << bytes("FE FE 48 E0 05 00 00 40 45 01 FD");
    QTest::newRow("below 100 MHz: b5 is 00")
        << 0x48 << "007050000" << bytes("FE FE 48 E0 05 00 00 05 07 00 FD");
    QTest::newRow("199.999.999") << 0x48 << "199999999"
                                 << bytes("FE FE 48 E0 05 99 99 99 99 01 FD");
    QTest::newRow("every digit in its place")
        << 0x48 << "123456789" << bytes("FE FE 48 E0 05 89 67 45 23 01 FD");
    QTest::newRow("address 0 sent as stored")
        << 0x00 << "145400000" << bytes("FE FE 00 E0 05 00 00 40 45 01 FD");
    QTest::newRow("address 4E") << 0x4E << "000000000" << bytes("FE FE 4E E0 05 00 00 00 00 00 FD");
    QTest::newRow("eight digits") << 0x48 << "14540000" << QByteArray();
    QTest::newRow("ten digits") << 0x48 << "1454000000" << QByteArray();
    QTest::newRow("letter") << 0x48 << "14540000A" << QByteArray();
    QTest::newRow("blank") << 0x48 << "1454 0000" << QByteArray();
    QTest::newRow("empty") << 0x48 << "" << QByteArray();
}

void TestFrames::frequencyFromNineDigits()
{
    QFETCH(int, address);
    QFETCH(QString, digits);
    QFETCH(QByteArray, frame);
    QCOMPARE(setFrequencyFrame(quint8(address), digits).value_or(QByteArray()), frame);
}

void TestFrames::frequencyFromStored_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("frame");  // empty: refused, nothing to send
    QTest::newRow("145.500.000") << "145.500.000" << bytes("FE FE 48 E0 05 00 00 50 45 01 FD");
    QTest::newRow("430.100.000") << "430.100.000" << bytes("FE FE 48 E0 05 00 00 10 30 04 FD");
    QTest::newRow("007.050.000") << "007.050.000" << bytes("FE FE 48 E0 05 00 00 05 07 00 FD");
    QTest::newRow("below 1 MHz") << "000.500.000" << bytes("FE FE 48 E0 05 00 00 50 00 00 FD");
    QTest::newRow("every digit in its place")
        << "123.456.789" << bytes("FE FE 48 E0 05 89 67 45 23 01 FD");
    QTest::newRow("empty split fields") << ".." << QByteArray();
    QTest::newRow("too short") << "145.500.00" << QByteArray();
    QTest::newRow("too long") << "145.500.0000" << QByteArray();
    QTest::newRow("commas") << "145,500,000" << QByteArray();
    QTest::newRow("letter O in a digit place") << "145.5O0.000" << QByteArray();
    QTest::newRow("blank in a digit place") << "145.500. 00" << QByteArray();
    QTest::newRow("display text without zeros") << "7.050.000" << QByteArray();
}

void TestFrames::frequencyFromStored()
{
    QFETCH(QString, stored);
    QFETCH(QByteArray, frame);
    QCOMPARE(setFrequencyFrameFromStored(0x48, stored).value_or(QByteArray()), frame);
}

void TestFrames::singleByteCommands_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("LSB") << setModeFrame(0x48, 0) << bytes("FE FE 48 E0 06 00 FD");
    QTest::newRow("FM") << setModeFrame(0x48, 5) << bytes("FE FE 48 E0 06 05 FD");
    QTest::newRow("WFM") << setModeFrame(0x48, 6) << bytes("FE FE 48 E0 06 06 FD");
    QTest::newRow("VFO A") << selectVfoFrame(0x48, Vfo::A) << bytes("FE FE 48 E0 07 00 FD");
    QTest::newRow("VFO B") << selectVfoFrame(0x48, Vfo::B) << bytes("FE FE 48 E0 07 01 FD");
    QTest::newRow("scan stop") << scanFrame(0x48, false) << bytes("FE FE 48 E0 0E 00 FD");
    QTest::newRow("scan start") << scanFrame(0x48, true) << bytes("FE FE 48 E0 0E 01 FD");
    QTest::newRow("split off") << splitFrame(0x48, false) << bytes("FE FE 48 E0 0F 00 FD");
    QTest::newRow("split on") << splitFrame(0x48, true) << bytes("FE FE 48 E0 0F 01 FD");
    QTest::newRow("step 10 Hz") << tuningStepFrame(0x48, 0) << bytes("FE FE 48 E0 10 00 FD");
    QTest::newRow("step 12.5 KHz") << tuningStepFrame(0x48, 6) << bytes("FE FE 48 E0 10 06 FD");
    QTest::newRow("step 100 KHz") << tuningStepFrame(0x48, 9) << bytes("FE FE 48 E0 10 09 FD");
    QTest::newRow("address 0") << setModeFrame(0x00, 3) << bytes("FE FE 00 E0 06 03 FD");
    QTest::newRow("address FF") << splitFrame(0xFF, true) << bytes("FE FE FF E0 0F 01 FD");
    QTest::newRow("generic, no data") << commandFrame(0x48, 0x03) << bytes("FE FE 48 E0 03 FD");
}

void TestFrames::singleByteCommands()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, frame);
    QCOMPARE(built.toHex(' ').toUpper(), frame.toHex(' ').toUpper());
}

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
