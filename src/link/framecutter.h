#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

/**
 * Cuts a received byte stream into frames at FD. Pure: no I/O, no timers.
 * Bytes after the last FD stay as a partial frame until more bytes arrive.
 */
class FrameCutter {
public:
    /** Longest frame kept; see the definition for the reason. A partial frame that grows
     *  beyond it is dropped. */
    static const int kMaxFrameLength;

    /** Appends bytes; returns the frame text of every frame completed, in order. A frame
     *  runs from the first byte kept through FD; bytes in front of a later preamble (FE FE)
     *  are the remains of a frame that lost its FD and are dropped. */
    QStringList feed(QByteArrayView bytes);

    bool hasPartial() const { return !m_partial.isEmpty(); }
    qsizetype partialSize() const { return m_partial.size(); }
    void dropPartial()
    {
        m_dropped += m_partial.size();
        m_partial.clear();
    }

    /** Count of bytes dropped so far (over-long or stale partial frames). */
    qint64 droppedBytes() const { return m_dropped; }

private:
    void trimOverlong();
    void dropBeforeLastPreamble();

    QByteArray m_partial;
    qint64 m_dropped = 0;
};
