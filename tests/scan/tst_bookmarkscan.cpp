#include "common/delay.h"
#include "link/seriallink.h"
#include "memory/datafreq.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "radio/recall.h"
#include "scan/bookmarkscan.h"
#include "sim/virtualradio.h"
#include "support/memoryfixture.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

struct Memory {
    QString name, mhz, khz, hz, mode, scan;
};

const QString kByName = "SELECT * FROM TabFreq ORDER BY Name,MHz,KHz,Hz";
const QString kScanByName = "SELECT * FROM TabFreq WHERE Scan='Y' ORDER BY Name,MHz,KHz,Hz";
const QByteArray kSentinel = QByteArray::fromHex("FEFE01E019FD");

/** A bookmark database at path, from the built template, holding the memories. */
bool createDatabase(const QString& path, const QList<Memory>& memories)
{
    QList<fixture::Row> rows;
    for (const Memory& m : memories)
        rows.append(fixture::memory(m.name, m.mhz, m.khz, m.hz, m.mode, m.scan));
    const QFileInfo file(path);
    return fixture::makeDatabase(file.absolutePath(), file.fileName(), rows) == path;
}

QString text(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

}  // namespace

class TestBookmarkScan : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void speedOptions_data();
    void speedOptions();
    void orderWrapsAround();
    void findChoosesWhatIsScanned();
    void stopDuringWaitAfterB();
    void singleMemoryRepeats();
    void emptyViewDoesNothing();
    void speedChangeAppliesToNextDwell();
    void viewChangeDuringScan();
    void errorHaltsScan();
    void quitDuringScanEndsAtOnce();
    void stoppedLoopEndsWhenNewScanHalts();

private:
    void open(const QList<Memory>& memories, const QString& source = kByName);
    void makeScan();
    QString currentName() const { return text(m_data->field("Name")); }
    /** Calls fn from the event loop, that is inside the scan's next wait. */
    void soon(std::function<void()> fn) { QTimer::singleShot(0, this, std::move(fn)); }
    /** The set-frequency frames the radio received before the sentinel. */
    QList<QByteArray> frequencyFrames();

    QTemporaryDir m_dir;
    std::unique_ptr<VirtualRadio> m_radio;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<DataFreq> m_data;
    std::unique_ptr<RadioState> m_state;
    std::unique_ptr<RadioCommands> m_commands;
    std::unique_ptr<BookmarkScan> m_scan;
    QList<QByteArray> m_received;
    QStringList m_recalled;                  ///< names, in recall order
    std::function<void(int)> m_afterRecall;  ///< called with the recall count
    QList<std::pair<bool, bool>> m_buttons;
    int m_databaseNumber = 0;
};

void TestBookmarkScan::init()
{
    resetDelays();
    QVERIFY(m_dir.isValid());
    m_radio = std::make_unique<VirtualRadio>(0x48);
    QString error;
    QVERIFY2(m_radio->start(&error), qPrintable(error));
    m_link = std::make_unique<SerialLink>();
    AppError opening;
    QVERIFY2(m_link->open(m_radio->devicePath(), &opening), qPrintable(opening.text));
    m_state = std::make_unique<RadioState>();
    m_commands = std::make_unique<RadioCommands>(m_link.get(), m_state.get());
    m_received.clear();
    connect(m_radio.get(), &VirtualRadio::frameReceived, this,
            [this](const QByteArray& f) { m_received.append(f); });
    m_recalled.clear();
    m_buttons.clear();
    m_afterRecall = nullptr;
}

void TestBookmarkScan::cleanup()
{
    m_scan.reset();
    m_data.reset();
    m_commands.reset();
    m_state.reset();
    m_link.reset();
    m_radio.reset();
    resetDelays();
}

void TestBookmarkScan::open(const QList<Memory>& memories, const QString& source)
{
    const QString path = m_dir.filePath(QString("scan%1.MDB").arg(++m_databaseNumber));
    QVERIFY(createDatabase(path, memories));
    m_data = std::make_unique<DataFreq>();
    m_data->setDatabaseName(path);
    m_data->setRecordSource(source);
    AppError error;
    QVERIFY2(m_data->refresh(&error), qPrintable(error.text));
    makeScan();
}

void TestBookmarkScan::makeScan()
{
    // The memory as the window takes it: the current record's fields joined.
    auto recall = [this](AppError* error) {
        m_recalled.append(currentName());
        MemorySnapshot memory;
        if (!m_data->isEof()) {
            memory.mainFreq = text(m_data->field("MHz")) + '.' + text(m_data->field("KHz")) + '.' +
                              text(m_data->field("Hz"));
            memory.split = m_data->field("Split").toBool();
            memory.mode = text(m_data->field("Mode"));
        }
        const Recall::Outcome outcome = Recall(m_commands.get(), memory).run(error);
        if (m_afterRecall)
            m_afterRecall(m_recalled.size());
        return outcome != Recall::Outcome::Refused && outcome != Recall::Outcome::Failed;
    };
    m_scan = std::make_unique<BookmarkScan>(m_data.get(), recall);
    m_scan->setDwell(0.05);
    connect(m_scan.get(), &BookmarkScan::runningChanged, this, [this](bool running) {
        m_buttons.append({!running, running});  // START and STOP enabled
    });
}

QList<QByteArray> TestBookmarkScan::frequencyFrames()
{
    if (!m_link->write(kSentinel) ||
        !QTest::qWaitFor([this] { return m_received.contains(kSentinel); }))
        return {"sentinel lost"};
    QList<QByteArray> frames;
    for (const QByteArray& f : m_received.mid(0, m_received.indexOf(kSentinel))) {
        if (f.size() == 11 && quint8(f[4]) == 0x05)
            frames.append(f.mid(5, 5).toHex());
    }
    return frames;
}

const QList<Memory> kThree = {{"A", "145", "500", "000", "FM", "Y"},
                              {"B", "007", "050", "000", "LSB", ""},
                              {"C", "430", "100", "000", "USB", "Y"}};

void TestBookmarkScan::speedOptions_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("tempo");
    QTest::newRow("FAST") << 0 << 0.5;
    QTest::newRow("MEDIUM") << 1 << 1.5;
    QTest::newRow("SLOW") << 2 << 2.5;
}

void TestBookmarkScan::speedOptions()
{
    QFETCH(int, index);
    QFETCH(double, tempo);
    BookmarkScan scan(nullptr, [](AppError*) { return true; });
    QCOMPARE(scan.dwell(), 1.5);
    QCOMPARE(scan.state(), BookmarkScan::State::Idle);
    scan.setSpeed(index);
    QCOMPARE(scan.dwell(), tempo);
}

void TestBookmarkScan::orderWrapsAround()
{
    open(kThree);
    m_afterRecall = [this](int count) {
        QVERIFY(m_scan->isRunning());
        if (count == 4)
            soon([this] { m_scan->stop(); });
    };
    m_scan->start();
    QCOMPARE(m_recalled, (QStringList{"A", "B", "C", "A"}));
    QCOMPARE(frequencyFrames(),
             (QList<QByteArray>{"0000504501", "0000050700", "0000103004", "0000504501"}));
    QCOMPARE(currentName(), QString("B"));
    QCOMPARE(m_scan->state(), BookmarkScan::State::Idle);
}

void TestBookmarkScan::findChoosesWhatIsScanned()
{
    // The scan walks the rows the grid shows: a find text narrows it, in the view's order.
    open({{"Net 2", "430", "100", "000", "USB", ""},
          {"Beacon", "007", "050", "000", "LSB", "Y"},
          {"net 1", "145", "500", "000", "FM", ""}});
    m_data->setFindText("NET");
    AppError error;
    QVERIFY2(m_data->refresh(&error), qPrintable(error.text));
    m_afterRecall = [this](int count) {
        if (count == 3)
            soon([this] { m_scan->stop(); });
    };
    m_scan->start();
    QCOMPARE(m_recalled, (QStringList{"net 1", "Net 2", "net 1"}));
    QCOMPARE(frequencyFrames(), (QList<QByteArray>{"0000504501", "0000103004", "0000504501"}));
}

void TestBookmarkScan::stopDuringWaitAfterB()
{
    open(kThree);
    m_afterRecall = [this](int count) {
        if (count == 2)
            soon([this] { m_scan->stop(); });
    };
    m_scan->start();
    QCOMPARE(m_recalled, (QStringList{"A", "B"}));
    QCOMPARE(currentName(), QString("C"));  // moved on, but C is not recalled
    QCOMPARE(frequencyFrames(), (QList<QByteArray>{"0000504501", "0000050700"}));
    QCOMPARE(m_buttons, (QList<std::pair<bool, bool>>{{false, true}, {true, false}}));
    QVERIFY(!m_scan->isRunning());
}

void TestBookmarkScan::singleMemoryRepeats()
{
    open({{"A", "145", "500", "000", "FM", ""}});
    m_afterRecall = [this](int count) {
        if (count == 3)
            soon([this] { m_scan->stop(); });
    };
    m_scan->start();
    QCOMPARE(m_recalled, (QStringList{"A", "A", "A"}));
    QCOMPARE(frequencyFrames().size(), 3);
}

void TestBookmarkScan::emptyViewDoesNothing()
{
    open({{"B", "007", "050", "000", "LSB", ""}}, kScanByName);
    QCOMPARE(m_data->recordCount(), 0);
    m_scan->start();
    QVERIFY(m_recalled.isEmpty());
    QVERIFY(m_buttons.isEmpty());
    QVERIFY(!m_scan->isRunning());
    QCOMPARE(frequencyFrames(), QList<QByteArray>{});
}

void TestBookmarkScan::speedChangeAppliesToNextDwell()
{
    open(kThree);
    // Timing only: no frames, so only the dwell sets the pace.
    m_scan = std::make_unique<BookmarkScan>(m_data.get(), [this](AppError*) {
        m_recalled.append(currentName());
        return true;
    });
    m_scan->setDwell(0.2);
    QList<double> dwells;
    QElapsedTimer clock;
    QList<qint64> startedAt;
    connect(m_scan.get(), &BookmarkScan::dwellStarted, this, [&](double seconds) {
        dwells.append(seconds);
        startedAt.append(clock.elapsed());
        if (dwells.size() == 1)
            soon([this] { m_scan->setDwell(0.6); });  // during the first dwell
        if (dwells.size() == 3)
            soon([this] { m_scan->stop(); });
    });
    clock.start();
    m_scan->start();
    QCOMPARE(dwells, (QList<double>{0.2, 0.6, 0.6}));
    QCOMPARE(m_recalled, (QStringList{"A", "B", "C"}));
    const qint64 first = startedAt[1] - startedAt[0];
    const qint64 second = startedAt[2] - startedAt[1];
    QVERIFY2(first >= 200 && second >= 600, qPrintable(QString("%1 %2").arg(first).arg(second)));
    qInfo("dwells measured: %lld ms then %lld ms", first, second);
}

void TestBookmarkScan::viewChangeDuringScan()
{
    open({{"A", "145", "500", "000", "FM", "Y"},
          {"B", "007", "050", "000", "LSB", ""},
          {"C", "430", "100", "000", "USB", "Y"},
          {"D", "014", "074", "000", "USB", "Y"}});
    m_afterRecall = [this](int count) {
        if (count == 1) {
            soon([this] {
                m_data->setRecordSource(kScanByName);
                AppError error;
                QVERIFY(m_data->refresh(&error));
            });
        }
        if (count == 4)
            soon([this] { m_scan->stop(); });
    };
    m_scan->start();
    QCOMPARE(m_recalled, (QStringList{"A", "C", "D", "A"}));
}

void TestBookmarkScan::errorHaltsScan()
{
    open({{"A", "145", "500", "000", "FM", ""}, {"B", "14", "250", "000", "USB", ""}});
    QSignalSpy errors(m_scan.get(), &BookmarkScan::scanError);
    m_scan->start();
    QCOMPARE(m_recalled, (QStringList{"A", "B"}));
    QCOMPARE(errors.size(), 1);
    const AppError error = errors.at(0).at(0).value<AppError>();
    QCOMPARE(error.number, errors::kMemoryNotRecallable);
    QVERIFY(error.text.contains("14.250.000"));
    QCOMPARE(m_scan->state(), BookmarkScan::State::HaltedByError);
    QVERIFY(m_scan->isRunning());
    QCOMPARE(m_buttons, (QList<std::pair<bool, bool>>{{false, true}}));
    QCOMPARE(frequencyFrames(), QList<QByteArray>{"0000504501"});  // nothing of B

    m_scan->start();  // START is off while halted
    QCOMPARE(m_recalled.size(), 2);
    m_scan->stop();
    QCOMPARE(m_scan->state(), BookmarkScan::State::Idle);
    QCOMPARE(m_buttons.last(), std::make_pair(true, false));
}

void TestBookmarkScan::quitDuringScanEndsAtOnce()
{
    open(kThree);
    connect(m_scan.get(), &BookmarkScan::dwellStarted, this,
            [this] { soon([] { abortDelays(); }); });
    QElapsedTimer clock;
    clock.start();
    m_scan->setDwell(30.0);
    m_scan->start();
    QVERIFY(clock.elapsed() < 30000);  // the dwell ended at once
    QCOMPARE(m_recalled, QStringList{"A"});
    QCOMPARE(currentName(), QString("A"));  // no move either
    QCOMPARE(frequencyFrames(), QList<QByteArray>{"0000504501"});
}

void TestBookmarkScan::stoppedLoopEndsWhenNewScanHalts()
{
    // STOP then START inside the first scan's wait: the new scan runs inside that wait and
    // halts on B; the stopped scan must not take over and recall on.
    open({{"A", "145", "500", "000", "FM", ""}, {"B", "14", "250", "000", "USB", ""}});
    QSignalSpy errors(m_scan.get(), &BookmarkScan::scanError);
    m_afterRecall = [this](int count) {
        if (count == 1) {
            soon([this] {
                m_scan->stop();
                m_scan->start();
            });
        }
    };
    m_scan->start();
    QCOMPARE(m_recalled, (QStringList{"A", "A", "B"}));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(m_scan->state(), BookmarkScan::State::HaltedByError);
}

QTEST_GUILESS_MAIN(TestBookmarkScan)
#include "tst_bookmarkscan.moc"
