// The receive path over arbitrary bytes: the line's bytes are cut into frames whole and
// again in pieces of random sizes, and every frame goes through the recogniser and the
// encodings. Input: byte 0 the radio address, byte 1 the seed of the piece sizes, the rest
// the bytes of the line. Any broken rule aborts (a finding).
//
// Inputs are at most kMaxInput bytes: enough for many frames of the longest kind in pieces
// of every size the chunking draws, and small enough that every input costs about the same
// (all work here is linear in the input). Longer inputs are refused, so none enters the
// corpus and the rate stays flat however long the run.

#include "fuzzcheck.h"
#include "link/framecutter.h"
#include "protocol/civ.h"
#include "protocol/frames.h"
#include "protocol/recogniser.h"

#include <cstddef>
#include <cstdint>

namespace {

/** Address and seed, then eight frames of the longest length: four pieces of the largest
 *  size the chunking draws, and the rate twice that of sixteen frames at the same coverage. */
constexpr std::size_t kMaxInput = 2 + 8 * 32;

/** The frames for bytes fed in pieces of 1 to 64 bytes drawn from seed; room is made for
 *  expected of them at once. */
QStringList cutInPieces(QByteArrayView bytes, quint32 seed, FrameCutter& cutter, qsizetype expected)
{
    QStringList frames;
    frames.reserve(expected);
    quint32 state = seed * 2654435761u + 1;
    while (!bytes.isEmpty()) {
        state = state * 1664525u + 1013904223u;
        const qsizetype size = std::min<qsizetype>((state >> 24) % 64 + 1, bytes.size());
        frames += cutter.feed(bytes.first(size));
        bytes = bytes.sliced(size);
    }
    return frames;
}

/** The frame's byte at index as its two characters of frame text. */
QStringView byteAt(const QString& frame, qsizetype index)
{
    return QStringView(frame).sliced(2 * index, 2);
}

void checkFrame(const QString& frame)
{
    const qsizetype size = frame.size() / 2;
    check(frame.size() % 2 == 0 && size >= 1 && size <= FrameCutter::kMaxFrameLength,
          "frame length");
    for (qsizetype i = 0; i < size; ++i) {
        const QStringView text = byteAt(frame, i);
        check((text == u"FD") == (i == size - 1), "one FD, at the end");
        check(i < 2 || text != u"FE" || byteAt(frame, i - 1) != u"FE",
              "a preamble only at the start");
        for (const QChar c : text)
            check((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'), "upper-case hex");
        const auto value = static_cast<quint8>(text.toUInt(nullptr, 16));
        const bool decimal = (value >> 4) <= 9 && (value & 0xF) <= 9;
        const std::optional<quint8> packed = Hex2Dec(text);
        check(decimal ? packed == value : !packed, "Hex2Dec of a byte's text");
    }
}

/** "ddd.ddd.ddd": a display frequency with all its digits. */
bool isFullDisplayText(const QString& text)
{
    if (text.size() != 11)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool point = i == 3 || i == 7;
        if (point ? text[i] != u'.' : !text[i].isDigit() || text[i].unicode() > u'9')
            return false;
    }
    return true;
}

void checkUpdate(const DisplayUpdate& update, quint8 address)
{
    switch (update.target) {
        case DisplayUpdate::Target::None:
            check(update.text.isEmpty(), "no change has no text");
            return;
        case DisplayUpdate::Target::Mode:
            check(modeCode(update.text).has_value(), "mode name");
            return;
        case DisplayUpdate::Target::Status:
            check(!update.text.isEmpty(), "status text");
            return;
        case DisplayUpdate::Target::Frequency:
            if (isFullDisplayText(update.text)) {
                // A full display text sent back to the radio reads as the same text.
                const std::optional<QByteArray> sent =
                    setFrequencyFrameFromStored(address, update.text);
                check(sent.has_value(), "display text can be sent");
                const QString again = BCD2STRING(frameText(sent->mid(5, 5)));
                check(again == update.text, "frequency round trip");
            }
            return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput)
        return -1;  // not kept in the corpus
    if (size < 2)
        return 0;
    const quint8 address = data[0];
    const QByteArrayView line(data + 2, static_cast<qsizetype>(size - 2));

    FrameCutter whole;
    const QStringList frames = whole.feed(line);
    FrameCutter pieces;
    check(cutInPieces(line, data[1], pieces, frames.size()) == frames,
          "same frames whatever the pieces");
    check(whole.droppedBytes() == pieces.droppedBytes(), "same bytes dropped");
    check(whole.partialSize() <= FrameCutter::kMaxFrameLength, "partial frame bounded");

    qsizetype framed = 0;
    for (const QString& frame : frames) {
        checkFrame(frame);
        framed += frame.size() / 2;
        checkUpdate(RiconosciComando(frame, address), address);
    }
    check(framed + whole.droppedBytes() + whole.partialSize() == line.size(),
          "every byte framed, dropped or waiting");
    return 0;
}
