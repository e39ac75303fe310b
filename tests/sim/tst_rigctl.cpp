// Hamlib's rigctl, an outside CI-V controller, drives corvane-sim: what it sets must reach
// the radio, and what it reads must come from the radio.
//
// Each row runs rigctl up to twice against a fresh radio: a "set" run, after which the
// radio's state is checked, and a separate "get" run, which starts with an empty Hamlib
// cache, so its values are read from the radio (03 and 04 requests).
//
// Hamlib's IC-706 family has no VFO read and no split read: `v` answers "Feature not
// available" and `s` reports only what the same rigctl run set. VFO selection is therefore
// proven by frequencies read per VFO, and split by the radio's own state.

#include "support/simprocess.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

namespace {

struct RigctlRun {
    bool finished = false;
    int exitCode = -1;
    QStringList lines;  // standard output, one value a line
    QString errors;
};

}  // namespace

class TestRigctl : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rigctl_data();
    void rigctl();

private:
    RigctlRun run(int model, const QString& device, const QStringList& commands);

    QString m_rigctl;
};

void TestRigctl::initTestCase()
{
    m_rigctl = QStandardPaths::findExecutable(QStringLiteral("rigctl"));
    if (m_rigctl.isEmpty()) {
        QSKIP("rigctl is not installed (Debian package libhamlib-utils)");
    }
}

RigctlRun TestRigctl::run(int model, const QString& device, const QStringList& commands)
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    const QStringList arguments =
        QStringList{QStringLiteral("-m"), QString::number(model), QStringLiteral("-r"), device,
                    QStringLiteral("-s"), QStringLiteral("9600")} +
        commands;
    process.start(m_rigctl, arguments);
    RigctlRun result;
    result.finished = finished.wait(60'000) || !finished.isEmpty();
    if (!result.finished) {
        process.kill();
        finished.wait(10'000);
        return result;
    }
    result.exitCode = process.exitCode();
    result.lines = QString::fromUtf8(process.readAllStandardOutput())
                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void TestRigctl::rigctl_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("panel");  // front-panel commands before rigctl runs
    QTest::addColumn<QStringList>("set");    // first rigctl run (none when empty)
    QTest::addColumn<QStringList>("setOutput");
    QTest::addColumn<QStringList>("state");      // parts of the radio's state after it
    QTest::addColumn<QStringList>("get");        // second rigctl run
    QTest::addColumn<QStringList>("getOutput");  // lines, as regular expressions

    const QStringList none;
    QTest::newRow("frequency") << 3009 << "72" << none << QStringList{"F", "14074000"} << none
                               << QStringList{"vfo=A a=14074000/"} << QStringList{"f"}
                               << QStringList{"14074000"};
    QTest::newRow("lowest frequency")
        << 3009 << "72" << none << QStringList{"F", "30000"} << none << QStringList{"a=30000/"}
        << QStringList{"f"} << QStringList{"30000"};
    QTest::newRow("frequency from the front panel")
        << 3009 << "72" << QStringList{"freq 3573000"} << none << none << QStringList{"a=3573000/"}
        << QStringList{"f"} << QStringList{"3573000"};
    const QList<QPair<QString, int>> modes = {{"LSB", 0},  {"USB", 1}, {"AM", 2}, {"CW", 3},
                                              {"RTTY", 4}, {"FM", 5},  {"WFM", 6}};
    for (const auto& [name, code] : modes) {
        QTest::addRow("mode %s", qPrintable(name))
            << 3009 << "72" << none << QStringList{"M", name, "0"} << none
            << QStringList{QStringLiteral("a=145400000/%1/").arg(code)} << QStringList{"m"}
            << QStringList{name, "\\d+"};
    }
    QTest::newRow("mode from the front panel")
        << 3009 << "72" << QStringList{"mode RTTY"} << none << none << QStringList{"a=145400000/4/"}
        << QStringList{"m"} << QStringList{"RTTY", "\\d+"};
    QTest::newRow("select VFO B") << 3009 << "72" << none << QStringList{"V", "VFOB"} << none
                                  << QStringList{"vfo=B"} << none << none;
    QTest::newRow("frequency per VFO")
        << 3009 << "72" << none
        << QStringList{"V", "VFOB", "F", "7050000", "V", "VFOA", "F", "145500000"} << none
        << QStringList{"vfo=A a=145500000/", "b=7050000/"}
        << QStringList{"V", "VFOB", "f", "V", "VFOA", "f"} << QStringList{"7050000", "145500000"};
    QTest::newRow("mode per VFO") << 3009 << "72" << none
                                  << QStringList{"V", "VFOB", "M", "CW", "0", "V", "VFOA"} << none
                                  << QStringList{"vfo=A a=145400000/5/", "b=145400000/3/"}
                                  << QStringList{"V", "VFOB", "m", "V", "VFOA", "m"}
                                  << QStringList{"CW", "\\d+", "FM", "\\d+"};
    QTest::newRow("split on") << 3009 << "72" << none << QStringList{"S", "1", "VFOB", "s"}
                              << QStringList{"1", "VFOB"} << QStringList{"split=1"} << none << none;
    QTest::newRow("split on, then off")
        << 3009 << "72" << none << QStringList{"S", "1", "VFOB", "S", "0", "VFOA", "s"}
        << QStringList{"0", "VFOA"} << QStringList{"split=0"} << none << none;
    QTest::newRow("split frequency on VFO B")
        << 3009 << "72" << none << QStringList{"I", "7051000"} << none
        << QStringList{"vfo=A a=145400000/", "b=7051000/"} << QStringList{"V", "VFOB", "f"}
        << QStringList{"7051000"};
    QTest::newRow("IC-706MkII model on address 4E")
        << 3010 << "0x4E" << none << QStringList{"F", "7074000", "M", "USB", "0"} << none
        << QStringList{"a=7074000/1/"} << QStringList{"f", "m"}
        << QStringList{"7074000", "USB", "\\d+"};
}

void TestRigctl::rigctl()
{
    QFETCH(int, model);
    QFETCH(QString, address);
    QFETCH(QStringList, panel);
    QFETCH(QStringList, set);
    QFETCH(QStringList, setOutput);
    QFETCH(QStringList, state);
    QFETCH(QStringList, get);
    QFETCH(QStringList, getOutput);

    SimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--address"), address}), qPrintable(sim.errorString()));
    for (const QString& command : panel) {
        QVERIFY2(sim.command(command), qPrintable(sim.errorString()));
    }
    if (!set.isEmpty()) {
        const RigctlRun result = run(model, sim.devicePath(), set);
        QVERIFY2(result.finished, "rigctl did not finish");
        QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
        QCOMPARE(result.lines, setOutput);
    }
    const QString radioState = sim.state();
    for (const QString& part : state) {
        QVERIFY2(radioState.contains(part), qPrintable(radioState + " lacks " + part));
    }
    if (get.isEmpty()) {
        return;
    }
    const RigctlRun result = run(model, sim.devicePath(), get);
    QVERIFY2(result.finished, "rigctl did not finish");
    QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
    QCOMPARE(result.lines.size(), getOutput.size());
    for (int i = 0; i < getOutput.size(); ++i) {
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(getOutput[i]));
        QVERIFY2(pattern.match(result.lines[i]).hasMatch(),
                 qPrintable(result.lines.join(" | ") + " vs " + getOutput.join(" | ")));
    }
}

QTEST_GUILESS_MAIN(TestRigctl)
#include "tst_rigctl.moc"
