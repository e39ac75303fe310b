#include "protocol/recogniser.h"

#include <QTest>

using Target = DisplayUpdate::Target;
Q_DECLARE_METATYPE(DisplayUpdate::Target)

namespace {

const char* const kModes[] = {"LSB", "USB", "AM", "CW", "RTTY", "FM", "WFM"};

}  // namespace

class TestRecogniser : public QObject {
    Q_OBJECT

private slots:
    void recognise_data();
    void recognise();

private:
    static void addModeRows();
};

void TestRecogniser::addModeRows()
{
    for (int code = 0; code < 7; ++code) {
        const QString codeText = QStringLiteral("0%1").arg(code);
        QTest::addRow("announce %s", kModes[code])
            << "FEFE004801" + codeText + "FD" << 72 << Target::Mode << kModes[code];
        QTest::addRow("echo %s", kModes[code])
            << "FEFE48E006" + codeText + "FD" << 72 << Target::Mode << kModes[code];
    }
}

void TestRecogniser::recognise_data()
{
    QTest::addColumn<QString>("comando");
    QTest::addColumn<int>("address");
    QTest::addColumn<Target>("target");
    QTest::addColumn<QString>("text");

    QTest::newRow("radio announces 145.400.000")
        << "FEFE0048000000404501FD" << 72 << Target::Frequency << "145.400.000";
    QTest::newRow("own set-frequency echo")
        << "FEFE48E0050005050700FD" << 72 << Target::Frequency << "7.050.500";
    QTest::newRow("frequency frame without data")
        << "FEFE004800FD" << 72 << Target::Frequency << "..FD";
    QTest::newRow("mode with filter byte") << "FEFE0048010501FD" << 72 << Target::Mode << "FM";
    QTest::newRow("own set-mode echo CW") << "FEFE48E00603FD" << 72 << Target::Mode << "CW";
    addModeRows();
    QTest::newRow("VFO A") << "FEFE48E00700FD" << 72 << Target::Status << "VFO A";
    QTest::newRow("VFO B") << "FEFE48E00701FD" << 72 << Target::Status << "VFO B";
    QTest::newRow("A = B") << "FEFE48E007A0FD" << 72 << Target::Status << "A = B";
    QTest::newRow("A/B") << "FEFE48E007B0FD" << 72 << Target::Status << "A/B";
    QTest::newRow("OK") << "FEFEE048FBFD" << 72 << Target::Status << "OK";
    QTest::newRow("NG") << "FEFEE048FAFD" << 72 << Target::Status << "ERROR";
    QTest::newRow("other frame ending in FB") << "FEFE48E00FFBFD" << 72 << Target::Status << "OK";
    QTest::newRow("radio to another controller") << "FEFEE1480102FD" << 72 << Target::Mode << "AM";
    QTest::newRow("another controller to the radio")
        << "FEFE48E10701FD" << 72 << Target::Status << "VFO B";
    QTest::newRow("address 5 compared as 05")
        << "FEFE0005000000404501FD" << 5 << Target::Frequency << "145.400.000";
    QTest::newRow("address 0") << "FEFE00E0FBFD" << 0 << Target::Status << "OK";

    QTest::newRow("another radio") << "FEFE0058000000404501FD" << 72 << Target::None << "";
    QTest::newRow("another radio's OK") << "FEFEE058FBFD" << 72 << Target::None << "";
    QTest::newRow("radio 05 not at 48") << "FEFE0005000000404501FD" << 72 << Target::None << "";
    QTest::newRow("mode code 07") << "FEFE00480107FD" << 72 << Target::None << "";
    QTest::newRow("split-on echo") << "FEFE48E00F01FD" << 72 << Target::None << "";
    QTest::newRow("step echo") << "FEFE48E01006FD" << 72 << Target::None << "";
    QTest::newRow("read-frequency reply") << "FEFEE048030000404501FD" << 72 << Target::None << "";
    QTest::newRow("read-mode reply") << "FEFEE048040501FD" << 72 << Target::None << "";
    QTest::newRow("read from its middle") << "48E0050000404501FD" << 72 << Target::None << "";
    QTest::newRow("empty") << "" << 72 << Target::None << "";
    QTest::newRow("FD alone") << "FD" << 72 << Target::None << "";
    QTest::newRow("address only") << "FEFE48" << 72 << Target::None << "";
    QTest::newRow("header only") << "FEFE48E0" << 72 << Target::None << "";
    QTest::newRow("command without sub") << "FEFE48E007FD" << 72 << Target::None << "";
}

void TestRecogniser::recognise()
{
    QFETCH(QString, comando);
    QFETCH(int, address);
    QFETCH(Target, target);
    QFETCH(QString, text);
    const DisplayUpdate update = RiconosciComando(comando, quint8(address));
    QCOMPARE(update.target, target);
    QCOMPARE(update.text, text);
}

QTEST_APPLESS_MAIN(TestRecogniser)
#include "tst_recogniser.moc"
