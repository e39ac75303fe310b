#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

/**
 * Cuts a received byte stream into frames at FD. Pure: no I/O, no timers.
 * Bytes after the last FD stay as a partial frame until more bytes arrive.
 *
 * The frames handed over depend only on the bytes, never on how they were split into
 * feed() calls: every decision is taken byte by byte.
 */
class FrameCutter {
public:
    /** Longest frame kept; see the definition for the reason. A partial frame that grows
     *  beyond it is dropped, and so is the rest of it up to the next FD or preamble. */
    static const int kMaxFrameLength;

    FrameCutter() { m_partial.reserve(kMaxFrameLength); }

    /** Appends bytes; returns the frame text of every frame completed, in order. A frame
     *  runs from the first byte kept through FD; bytes in front of a later preamble (FE FE)
     *  are the remains of a frame that lost its FD and are dropped. */
    QStringList feed(QByteArrayView bytes);

    bool hasPartial() const { return !m_partial.isEmpty() || m_discarding; }
    qsizetype partialSize() const { return m_partial.size(); }
    void dropPartial()
    {
        m_dropped += m_partial.size();
        m_partial.resize(0);
        m_discarding = false;
    }

    /** Count of bytes dropped so far (over-long or stale partial frames). */
    qint64 droppedBytes() const { return m_dropped; }

private:
    void take(char byte);
    void endFrame(QStringList* frames);

    /** The frame being received; while discarding, at most a trailing FE that may still
     *  begin a preamble. */
    QByteArray m_partial;
    /** The current run grew beyond kMaxFrameLength: its bytes are dropped up to the next
     *  FD or FE FE, so a tail of it is never taken for a frame of its own. */
    bool m_discarding = false;
    qint64 m_dropped = 0;
};
