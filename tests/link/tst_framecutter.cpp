#include "link/framecutter.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

using Chunks = QList<QByteArray>;

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

/** A frequency announce of the radio at 48: 11 bytes. */
const QByteArray kAnnounce = hex("FEFE0048000000404501FD");
/** A mode announce: 8 bytes. */
const QByteArray kMode = hex("FEFE0048010501FD");

/** n bytes that are neither FD nor FE. */
QByteArray filler(int n)
{
    return QByteArray(n, '\x11');
}

/** A frame of another station, 44 bytes: too long for this radio, and its last 11 bytes
 *  read like a frequency announce that lost its preamble. */
const QByteArray kForeign = hex("FEFE58E0") + filler(31) + hex("0048000000404501FD");

/** Random bytes that are mostly the ones the cutter looks at (FE, FD), with whole frames,
 *  over-long foreign frames and runs without FD among them. */
QByteArray randomStream(QRandomGenerator& random)
{
    QByteArray stream;
    const int parts = random.bounded(1, 40);
    for (int part = 0; part < parts; ++part) {
        switch (random.bounded(5)) {
            case 0:
                stream += kAnnounce;
                break;
            case 1:
                stream += kForeign;
                break;
            case 2:
                stream += filler(random.bounded(1, 3 * FrameCutter::kMaxFrameLength));
                break;
            default:
                for (int i = random.bounded(1, 12); i > 0; --i) {
                    static const char kBytes[] = {'\xFE', '\xFD', '\x00', '\x48', '\x11'};
                    stream += kBytes[random.bounded(5)];
                }
        }
    }
    return stream;
}

/** The frames the cutter hands over for stream fed in pieces of 1 to maxPiece bytes. */
QStringList cutInPieces(const QByteArray& stream, QRandomGenerator& random, int maxPiece)
{
    FrameCutter cutter;
    QStringList frames;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype size =
            std::min<qsizetype>(random.bounded(1, maxPiece + 1), stream.size() - at);
        frames += cutter.feed(QByteArrayView(stream).sliced(at, size));
        at += size;
    }
    return frames;
}

}  // namespace

class TestFrameCutter : public QObject {
    Q_OBJECT
private slots:
    void cutsStream_data();
    void cutsStream();
    void sameFramesWhateverTheChunks_data();
    void sameFramesWhateverTheChunks();
    void sameFramesWhateverTheChunksOnAnyBytes_data();
    void sameFramesWhateverTheChunksOnAnyBytes();
    void bytesWithoutFdStayBounded();
};

void TestFrameCutter::cutsStream_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<int>("partial");
    QTest::addColumn<int>("dropped");

    const int max = FrameCutter::kMaxFrameLength;
    QTest::newRow("one frame") << Chunks{kAnnounce} << QStringList{"FEFE0048000000404501FD"} << 0
                               << 0;
    Chunks bytewise;
    for (char byte : kAnnounce)
        bytewise.append(QByteArray(1, byte));
    QTest::newRow("one byte at a time")
        << bytewise << QStringList{"FEFE0048000000404501FD"} << 0 << 0;
    QTest::newRow("two frames in one chunk")
        << Chunks{kAnnounce + kMode} << QStringList{"FEFE0048000000404501FD", "FEFE0048010501FD"}
        << 0 << 0;
    QTest::newRow("frame and the start of the next")
        << Chunks{kAnnounce + kMode.left(3)} << QStringList{"FEFE0048000000404501FD"} << 3 << 0;
    QTest::newRow("read from its middle, unchanged")
        << Chunks{kAnnounce.mid(5)} << QStringList{"0000404501FD"} << 0 << 0;
    QTest::newRow("single FE of the preamble lost")
        << Chunks{kAnnounce.mid(1)} << QStringList{"FE0048000000404501FD"} << 0 << 0;
    QTest::newRow("FD alone") << Chunks{hex("FD")} << QStringList{"FD"} << 0 << 0;
    QTest::newRow("leftover of a cut frame before a new preamble")
        << Chunks{kAnnounce.left(6), kMode} << QStringList{"FEFE0048010501FD"} << 0 << 6;
    QTest::newRow("three FE in front")
        << Chunks{hex("FE") + kMode} << QStringList{"FEFE0048010501FD"} << 0 << 1;
    QTest::newRow("longest frame kept whole")
        << Chunks{filler(max - 1) + hex("FD")} << QStringList{QString(2 * (max - 1), u'1') + "FD"}
        << 0 << 0;
    QTest::newRow("one byte too long, no preamble: dropped")
        << Chunks{filler(max) + hex("FD")} << QStringList{} << 0 << max + 1;
    QTest::newRow("garbage then a frame in one chunk")
        << Chunks{filler(3 * max) + kAnnounce} << QStringList{"FEFE0048000000404501FD"} << 0
        << 3 * max;
    QTest::newRow("garbage ending in FE keeps that FE")
        << Chunks{filler(2 * max) + hex("FE"), kAnnounce.mid(1)}
        << QStringList{"FEFE0048000000404501FD"} << 0 << 2 * max;
    QTest::newRow("foreign over-long frame read whole: dropped")
        << Chunks{kForeign} << QStringList{} << 0 << 44;
    QTest::newRow("foreign over-long frame read as 33 + 11: dropped")
        << Chunks{kForeign.left(33), kForeign.mid(33)} << QStringList{} << 0 << 44;
    QTest::newRow("after an over-long run, the next frame whole")
        << Chunks{kForeign.left(40), kForeign.mid(40) + kMode} << QStringList{"FEFE0048010501FD"}
        << 0 << 44;
    QTest::newRow("no FD: partial capped")
        << Chunks{filler(5 * max)} << QStringList{} << 0 << 5 * max;
}

void TestFrameCutter::cutsStream()
{
    QFETCH(Chunks, chunks);
    QFETCH(QStringList, frames);
    QFETCH(int, partial);
    QFETCH(int, dropped);

    FrameCutter cutter;
    QStringList got;
    for (const QByteArray& chunk : chunks)
        got += cutter.feed(chunk);
    QCOMPARE(got, frames);
    QCOMPARE(cutter.partialSize(), partial);
    QCOMPARE(cutter.droppedBytes(), dropped);
}

void TestFrameCutter::sameFramesWhateverTheChunks_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u})
        QTest::addRow("seed %u", seed) << seed;
}

void TestFrameCutter::sameFramesWhateverTheChunks()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    QByteArray stream;
    QStringList expected;
    for (int i = 0; i < 200; ++i) {
        const QByteArray& frame = random.bounded(2) ? kAnnounce : kMode;
        stream += frame;
        expected += QString::fromLatin1(frame.toHex().toUpper());
    }
    FrameCutter cutter;
    QStringList got;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype size = std::min<qsizetype>(random.bounded(1, 40), stream.size() - at);
        got += cutter.feed(QByteArrayView(stream).sliced(at, size));
        at += size;
    }
    QCOMPARE(got, expected);
    QVERIFY(!cutter.hasPartial());
    QCOMPARE(cutter.droppedBytes(), 0);
}

void TestFrameCutter::sameFramesWhateverTheChunksOnAnyBytes_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 16; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

void TestFrameCutter::sameFramesWhateverTheChunksOnAnyBytes()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    for (int round = 0; round < 100; ++round) {
        const QByteArray stream = randomStream(random);
        FrameCutter whole;
        const QStringList expected = whole.feed(stream);
        for (const int maxPiece : {1, 4, 16, 64}) {
            const QStringList got = cutInPieces(stream, random, maxPiece);
            if (got != expected)
                qWarning("stream %s, pieces up to %d", stream.toHex().constData(), maxPiece);
            QCOMPARE(got, expected);
        }
    }
}

void TestFrameCutter::bytesWithoutFdStayBounded()
{
    FrameCutter cutter;
    QRandomGenerator random(42);
    qint64 fed = 0;
    for (int chunk = 0; chunk < 1000; ++chunk) {
        QByteArray bytes(random.bounded(1, 30), Qt::Uninitialized);
        for (char& byte : bytes)
            byte = static_cast<char>(random.bounded(0xFD));  // everything below FD
        QVERIFY(cutter.feed(bytes).isEmpty());
        fed += bytes.size();
        QVERIFY2(cutter.partialSize() <= FrameCutter::kMaxFrameLength,
                 qPrintable(QString::number(cutter.partialSize())));
    }
    QCOMPARE(cutter.droppedBytes() + cutter.partialSize(), fed);
}

QTEST_APPLESS_MAIN(TestFrameCutter)
#include "tst_framecutter.moc"
