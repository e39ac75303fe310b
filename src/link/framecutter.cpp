#include "link/framecutter.h"

#include "protocol/civ.h"

/**
 * Longest frame kept, in bytes. The longest CI-V frame this radio sends or receives is
 * about 15 bytes (FE FE to fm cmd sub + five frequency bytes + FD is 11; the longest
 * replies carry a few more). 32 leaves more than double that for other stations on the
 * shared line, and is small enough that a line sending bytes without FD never holds more
 * than a handful of bytes. A partial frame that grows beyond it cannot be a frame of ours.
 */
const int FrameCutter::kMaxFrameLength = 32;

namespace {

const QByteArray kPreamblePair(2, static_cast<char>(civ::kPreamble));

}  // namespace

QStringList FrameCutter::feed(QByteArrayView bytes)
{
    QStringList frames;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf(static_cast<char>(civ::kEndOfFrame));
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end + 1);
        bytes = bytes.sliced(piece.size());
        m_partial.append(piece);
        if (m_partial.size() > kMaxFrameLength)
            trimOverlong();
        if (end >= 0 && !m_partial.isEmpty()) {
            dropBeforeLastPreamble();
            frames.append(frameText(m_partial));
            m_partial.clear();
        }
    }
    return frames;
}

void FrameCutter::trimOverlong()
{
    // Keep the youngest tail that starts with a preamble and fits; a frame that began
    // after the garbage survives whole. Without one, only a lone trailing FE can still
    // be the start of a frame.
    const qsizetype start = m_partial.indexOf(kPreamblePair, m_partial.size() - kMaxFrameLength);
    qsizetype keepFrom = start;
    if (start < 0) {
        const bool trailingFe = static_cast<quint8>(m_partial.back()) == civ::kPreamble;
        keepFrom = trailingFe ? m_partial.size() - 1 : m_partial.size();
    }
    m_dropped += keepFrom;
    m_partial.remove(0, keepFrom);
}

void FrameCutter::dropBeforeLastPreamble()
{
    // A complete frame whose preamble comes after other bytes: the bytes before it are
    // the rest of a frame that lost its FD (FE never appears inside a frame). The frame
    // itself is handed over from its preamble. A frame whose own start was lost has no
    // preamble and is handed over unchanged.
    const qsizetype start = m_partial.lastIndexOf(kPreamblePair);
    if (start <= 0)
        return;
    m_dropped += start;
    m_partial.remove(0, start);
}
