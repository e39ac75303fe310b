// The rigctld server's sessions and dispatcher: two clients send arbitrary bytes in
// arbitrary pieces, half-close or drop; the radio answers each request at once, later,
// never (until the end), with FA, with no answer, with a failed write, or cannot be
// written to at all. No sockets: each session reads from a channel fed here.
//
// Input: byte 0 picks the radio's answer time (bit 0), the reply budget (bits 1-2), and
// whether the line timeout (bit 3) and the VFO switch grace (bit 4) run out at the next turn
// of the event loop or never; then a list of steps, each a step byte and what it needs:
//   0x00..0x7f  client (bit 6) sends the next (bits 0..5) + 1 bytes
//   0x80..0x87  the radio answers requests from now on: Ok, FA, no answer, write failed,
//               held, held then no answer, or cannot be written (nothing sent)
//   0x88..0x8f  the held answers are given
//   0x90..0x9f  the event loop runs once
//   0xa0..0xaf  client (bit 0) half-closes; 0xb0..0xbf client (bit 0) is gone (reset)
//   0xc0..0xff  the server's radio VFO / split state changes (what the display shows)
// Rules: a session writes one reply per request it runs, never more; after both clients
// end, every request of every complete line before the end (up to a quit) is answered
// once the radio has answered (a client closed for a passed bound or the line timeout
// excepted), and the server has no clients left.
//
// The radio and the server are made once; each input starts from the same state and leaves
// no client, request or event behind.

#include "net/fakerig.h"
#include "net/rigctlchannel.h"
#include "net/rigctldispatcher.h"
#include "net/rigctlprotocol.h"
#include "net/rigctlserver.h"
#include "net/rigctlsession.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

/** What one client sent, and how the server treated it. */
struct Client {
    QByteArray line;  ///< sent after the last line end
    int owed = 0;     ///< requests in the complete lines sent, up to and including a quit
    bool quit = false;
    int replies = 0;
    bool aborted = false;  ///< closed by the server at once (a bound or the line timeout)
    bool reset = false;    ///< the client dropped the connection
    bool closed = false;

    /** Counts the requests of the lines bytes completes (each line parsed once). */
    void send(const QByteArray& bytes)
    {
        line += bytes;
        qsizetype end = 0;
        while (!quit && (end = line.indexOf('\n')) >= 0) {
            for (const rigctl::Request& request : rigctl::parseLine(line.first(end))) {
                ++owed;
                if (request.entry != nullptr && request.entry->command == rigctl::Command::Quit) {
                    quit = true;
                    break;
                }
            }
            line.remove(0, end + 1);
        }
    }
};

/** A client as the session sees it: input fed by the harness, replies counted. */
class FakeChannel : public RigctlChannel {
public:
    explicit FakeChannel(Client* client) : m_client(client) {}

    QByteArray input;
    bool ended = false;
    bool gone = false;

    QByteArray read(qsizetype max) override
    {
        const QByteArray taken = input.left(max);
        input.remove(0, taken.size());
        return taken;
    }
    qsizetype bytesAvailable() const override { return input.size(); }
    bool inputEnded() const override { return ended; }
    void write(const QByteArray& bytes) override
    {
        if (gone)
            return;
        if (bytes.isEmpty() || !bytes.endsWith('\n'))
            fail("a reply that is not whole lines");
        ++m_client->replies;
    }
    qsizetype bytesToWrite() const override { return 0; }
    void closeAfterWriting() override { close(); }
    void abort() override
    {
        m_client->aborted = true;
        close();
    }
    QHostAddress peerAddress() const override { return QHostAddress(QHostAddress::LocalHost); }

    static void fail(const char* rule)
    {
        std::fprintf(stderr, "broken rule: %s\n", rule);
        std::abort();
    }

    void close()
    {
        if (gone)
            return;
        gone = true;
        m_client->closed = true;
        QTimer::singleShot(0, this, &RigctlChannel::closed);
    }

private:
    Client* m_client;
};

void setRadio(FakeRig& rig, quint8 step)
{
    rig.hold = false;
    rig.writable = true;
    rig.delay = std::chrono::milliseconds(0);
    switch (step & 7) {
        case 0:
            rig.nextOutcome = RigControl::Outcome::Ok;
            break;
        case 1:
            rig.nextOutcome = RigControl::Outcome::Rejected;
            break;
        case 2:
            rig.nextOutcome = RigControl::Outcome::Timeout;
            break;
        case 3:
            rig.nextOutcome = RigControl::Outcome::WriteFailed;
            break;
        case 4:
            rig.hold = true;
            break;
        case 5:
            rig.nextOutcome = RigControl::Outcome::Timeout;
            rig.hold = true;
            break;
        default:
            rig.writable = false;
            break;
    }
}

void changeState(FakeRig& rig, quint8 step)
{
    rig.state.vfo = static_cast<RigControl::Vfo>(step % 3);
    rig.state.split = (step & 4) != 0;
    rig.state.lineOpen = (step & 8) == 0;
    if (step & 16)
        rig.state.vfoFrequencyHz[1] = 7'074'000;
    if (step & 32)
        rig.state.vfoModeCode[0].reset();
}

/** The radio and the server, made once and used by every input: each input starts from the
 *  same state and ends with no client and no request left. */
struct Bench {
    FakeRig rig;
    RigctlServer server{&rig};

    void reset(quint8 timing)
    {
        rig.state = knownState();
        rig.sent.clear();
        setRadio(rig, 0);
        // Times are 0 or hours: nothing waits on the clock. A reply budget of 0 (every request
        // expires at once) or of hours, against an answer time of 0 or of an hour (then a
        // queue of two is already too long); the line timeout and the VFO switch grace end
        // at the next turn of the event loop, or never.
        rig.answerTime = std::chrono::hours(timing & 1);
        RigctlDispatcher* dispatcher = server.dispatcher();
        dispatcher->setReplyBudget(std::chrono::hours((timing >> 1) & 3));
        server.setLineTimeout(std::chrono::hours((timing & 8) != 0 ? 0 : 24));
        dispatcher->setVfoSwitchGrace(std::chrono::hours((timing & 16) != 0 ? 0 : 24));
    }
};

void run(Bench& bench, const uint8_t* data, size_t size)
{
    FakeRig& rig = bench.rig;
    RigctlServer& server = bench.server;
    bench.reset(data[0]);
    Client clients[2];  // outlive the sessions, which report to them
    QPointer<FakeChannel> channels[2];
    for (int i = 0; i < 2; ++i) {
        channels[i] = new FakeChannel(&clients[i]);
        server.addClient(channels[i]);
    }

    std::size_t at = 1;
    while (at < size) {
        const quint8 step = data[at++];
        if (step < 0x80) {
            const int i = (step >> 6) & 1;
            const std::size_t count = std::min<std::size_t>((step & 0x3f) + 1, size - at);
            const QByteArray bytes(reinterpret_cast<const char*>(data + at),
                                   static_cast<qsizetype>(count));
            at += count;
            FakeChannel* channel = channels[i];
            if (channel == nullptr || channel->ended || channel->gone)
                continue;
            clients[i].send(bytes);
            channel->input += bytes;
            emit channel->readyRead();
        } else if (step < 0x88) {
            setRadio(rig, step);
        } else if (step < 0x90) {
            rig.release();
        } else if (step < 0xa0) {
            QCoreApplication::processEvents();
        } else if (step < 0xc0) {
            FakeChannel* channel = channels[step & 1];
            if (channel == nullptr || channel->gone)
                continue;
            if (step < 0xb0) {
                channel->ended = true;
                emit channel->readyRead();
            } else {
                clients[step & 1].reset = true;
                channel->close();
            }
        } else {
            changeState(rig, step);
        }
        for (const Client& client : clients) {
            if (client.replies > client.owed)
                FakeChannel::fail("more replies than requests");
        }
    }

    // The end: both clients stop sending, the radio answers whatever it held and from now
    // on at once, until every client is closed and every request the radio took answered.
    for (FakeChannel* channel : channels) {
        if (channel != nullptr && !channel->gone) {
            channel->ended = true;
            emit channel->readyRead();
        }
    }
    setRadio(rig, 0);
    for (int round = 0; round < 1000 && (server.clientCount() > 0 || rig.unanswered > 0); ++round) {
        rig.release();
        QCoreApplication::processEvents();
    }
    if (server.clientCount() != 0 || rig.unanswered != 0)
        FakeChannel::fail("a client or a request never finished");
    for (const Client& client : clients) {
        if (!client.closed)
            FakeChannel::fail("a client left open");
        if (!client.aborted && !client.reset && client.replies != client.owed)
            FakeChannel::fail("a request without its one reply");
    }
    // What is left for the event loop concerns clients gone (answers they no longer wait
    // for, sessions and channels to delete): now, so the next input starts from nothing.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

/** Adds -detect_leaks=0 in front of the command line's own flags. Qt keeps what it
 *  allocates for timers and posted events from one input to the next; libFuzzer takes that
 *  for a leak and scans the whole heap after every input, a hundredfold slower. A real leak
 *  per input still shows as a growing RSS (-rss_limit_mb); "-detect_leaks=1" brings the
 *  check back. Qt's own event loop (not GLib's) serves the inputs: it does less a turn. */
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static char noLeakCheck[] = "-detect_leaks=0";
    static std::vector<char*> arguments;
    arguments.assign(*argv, *argv + *argc);
    arguments.insert(arguments.begin() + 1, noLeakCheck);
    arguments.push_back(nullptr);
    *argc += 1;
    *argv = arguments.data();
    qputenv("QT_NO_GLIB", "1");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_rigctl";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static Bench bench;
    if (size < 1)
        return 0;
    run(bench, data, size);
    return 0;
}
