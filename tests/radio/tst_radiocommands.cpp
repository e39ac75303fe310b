#include "link/seriallink.h"
#include "protocol/civ.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "sim/virtualradio.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

using Answer = RadioCommands::Answer;

QByteArray frame(const char* hex)
{
    return QByteArray::fromHex(QByteArray("FEFE48E0") + hex + "FD");
}

}  // namespace

/** The commands against the virtual radio: the frames, the answers given to each request,
 *  and what a failed write leaves in the radio's state. */
class TestRadioCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void answersInOrder();
    void readsFillTheState();
    void failedWriteChangesNothing();

private:
    std::unique_ptr<VirtualRadio> m_radio;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<RadioState> m_state;
    std::unique_ptr<RadioCommands> m_commands;
    QList<QByteArray> m_received;
};

void TestRadioCommands::init()
{
    m_radio = std::make_unique<VirtualRadio>(0x48);
    QString error;
    QVERIFY2(m_radio->start(&error), qPrintable(error));
    m_link = std::make_unique<SerialLink>();
    m_state = std::make_unique<RadioState>();
    m_commands = std::make_unique<RadioCommands>(m_link.get(), m_state.get());
    QVERIFY(!m_commands->openPort(2, m_radio->devicePath()));
    QVERIFY(m_state->isOpen());
    m_received.clear();
    connect(m_radio.get(), &VirtualRadio::frameReceived, this,
            [this](const QByteArray& f) { m_received.append(f); });
}

void TestRadioCommands::cleanup()
{
    m_commands.reset();
    m_state.reset();
    m_link.reset();
    m_radio.reset();
}

void TestRadioCommands::answersInOrder()
{
    // Five requests at once: one at a time on the line, each answer given to its own
    // request. The frame to an address nobody has times out without taking the next
    // request's FB; the unknown command 19 is refused (FA).
    QList<std::pair<int, Answer>> answers;
    auto note = [&answers](int n) {
        return [&answers, n](Answer answer) { answers.append({n, answer}); };
    };
    QVERIFY(!m_commands->setFrequency(145'500'000, note(1)));
    QVERIFY(!m_commands->sendRaw(QByteArray::fromHex("FEFE01E019FD"), note(2)));
    QVERIFY(!m_commands->setMode(2, note(3)));
    QVERIFY(!m_commands->sendRaw(frame("19"), note(4)));
    QVERIFY(!m_commands->setSplit(true, note(5)));
    QCOMPARE(m_commands->queuedCount(), 4);

    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 5, 10'000);
    const QList<std::pair<int, Answer>> expected{{1, Answer::Ok},
                                                 {2, Answer::Timeout},
                                                 {3, Answer::Ok},
                                                 {4, Answer::Rejected},
                                                 {5, Answer::Ok}};
    QCOMPARE(answers, expected);
    QCOMPARE(m_received,
             (QList<QByteArray>{frame("050000504501"), QByteArray::fromHex("FEFE01E019FD"),
                                frame("0602"), frame("19"), frame("0F01")}));
    QCOMPARE(m_state->frequencyHz(), std::optional<quint64>(145'500'000));
    QCOMPARE(m_state->modeName(), QStringLiteral("AM"));
    QVERIFY(m_state->split());
    QCOMPARE(m_commands->queuedCount(), 0);
}

void TestRadioCommands::readsFillTheState()
{
    // Nothing is known until the radio tells it; a read asks, and its answer counts as OK.
    QCOMPARE(m_state->frequencyHz(), std::nullopt);
    QCOMPARE(m_state->modeCode(), std::nullopt);
    QList<Answer> answers;
    auto note = [&answers](Answer answer) { answers.append(answer); };
    QVERIFY(!m_commands->readFrequency(note));
    QVERIFY(!m_commands->readMode(note));
    QTRY_COMPARE(answers.size(), 2);
    QCOMPARE(answers, (QList<Answer>{Answer::Ok, Answer::Ok}));
    QCOMPARE(m_state->frequencyHz(), std::optional<quint64>(m_radio->frequency()));
    QCOMPARE(m_state->modeCode(), std::optional<quint8>(m_radio->mode()));
}

void TestRadioCommands::failedWriteChangesNothing()
{
    QSignalSpy split(m_state.get(), &RadioState::splitChanged);
    QSignalSpy scan(m_state.get(), &RadioState::radioScanChanged);
    QSignalSpy failed(m_commands.get(), &RadioCommands::writeFailed);
    m_link->close();
    bool called = false;
    const RadioCommands::Result result =
        m_commands->setSplit(true, [&called](Answer) { called = true; });
    QVERIFY(result);
    QCOMPARE(result->number, errors::kPortNotOpen);
    QCOMPARE(m_commands->setRadioScan(true)->number, errors::kPortNotOpen);
    QCOMPARE(m_commands->setFrequency(10'000)->number, errors::kInvalidArgument);
    QVERIFY(!m_state->split());
    QVERIFY(!m_state->radioScan());
    QCOMPARE(split.size() + scan.size(), 0);
    QCOMPARE(failed.size(), 2);
    QCoreApplication::processEvents();
    QVERIFY(!called);
}

QTEST_GUILESS_MAIN(TestRadioCommands)
#include "tst_radiocommands.moc"
