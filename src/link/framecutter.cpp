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

bool isPreambleByte(char byte)
{
    return static_cast<quint8>(byte) == civ::kPreamble;
}

}  // namespace

QStringList FrameCutter::feed(QByteArrayView bytes)
{
    QStringList frames;
    for (const char byte : bytes) {
        if (static_cast<quint8>(byte) == civ::kEndOfFrame)
            endFrame(&frames);
        else
            take(byte);
    }
    return frames;
}

void FrameCutter::take(char byte)
{
    // FE FE starts a frame: whatever came before it is the rest of a frame that lost its
    // FD (FE never appears inside a frame), or of a run that was too long.
    if (isPreambleByte(byte) && !m_partial.isEmpty() && isPreambleByte(m_partial.back())) {
        m_dropped += m_partial.size() - 1;
        m_partial.resize(0);
        m_partial.append(byte).append(byte);
        m_discarding = false;
        return;
    }
    if (m_discarding) {
        // Only a lone FE is kept: it may be the first byte of the next preamble.
        m_dropped += m_partial.size();
        m_partial.resize(0);
        if (isPreambleByte(byte))
            m_partial.append(byte);
        else
            ++m_dropped;
        return;
    }
    m_partial.append(byte);
    if (m_partial.size() >= kMaxFrameLength) {
        // Even with its FD the frame would be too long.
        m_discarding = true;
        const bool keepFe = isPreambleByte(byte);
        m_dropped += m_partial.size() - (keepFe ? 1 : 0);
        m_partial.resize(0);
        if (keepFe)
            m_partial.append(byte);
    }
}

void FrameCutter::endFrame(QStringList* frames)
{
    // A frame whose own start was lost has no preamble and is handed over unchanged; the
    // recogniser tells whether it means anything.
    if (m_discarding) {
        m_dropped += m_partial.size() + 1;
        m_partial.resize(0);
        m_discarding = false;
        return;
    }
    m_partial.append(static_cast<char>(civ::kEndOfFrame));
    frames->append(frameText(m_partial));
    m_partial.resize(0);
}
