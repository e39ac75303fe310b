#include "link/seriallink.h"

#include "common/errorcatalogue.h"

#include <QFileInfo>
#include <QPointer>
#include <QSerialPort>

#include <array>

#ifdef Q_OS_UNIX
#include <poll.h>

#include <cerrno>
#endif

/**
 * Quiet gap after which a partial frame is dropped. At 9600 baud 8N1 a byte takes about
 * 1.04 ms, so an 11-byte frame lasts about 11.5 ms and the longest (15 bytes) about 16 ms.
 * A radio sends a frame's bytes back to back; a USB serial adapter may hand them over in
 * pieces up to its latency timer apart (16 ms by default), and the event loop adds a few
 * milliseconds. 100 ms is five times the widest gap seen inside one frame, yet well below
 * the 200 ms between two commands of a sequence, so a frame cut short never glues onto the
 * answer of the next command.
 */
const std::chrono::milliseconds SerialLink::kQuietGap{100};

namespace {

/** What a port error means while the port is open. */
enum class Reaction {
    Ignore,     ///< nothing to tell (no error, or only raised by calls this class never makes)
    LineEvent,  ///< reported as lineEvent(number); the port stays open
    PortLost,   ///< the device is unusable: the port is closed and portLost sent once
};

struct ErrorRow {
    QSerialPort::SerialPortError error;
    int openNumber;  ///< error number when opening fails with this error
    int lineNumber;  ///< event or error number while open
    Reaction whileOpen;
};

/**
 * The one map from QSerialPort's errors to this program's numbers (serial-control
 * numbering, from the error catalogue), for opening and while open.
 *
 * Break (1001) and framing error (1004) have no row: Qt 6's QSerialPort no longer reports
 * break, framing or parity conditions, so those events cannot be told apart here.
 *
 * A read or write that fails on a line that has hung up is a lost port, not a line
 * event: Qt keeps the notifier of the failed descriptor armed and reports the same
 * failure again in a tight loop (a pty whose other end closed, a USB adapter pulled out),
 * so the only sound reaction is to close the port at once. A failure on a line that is
 * still up is a false alarm (see kMaxFalseAlarms).
 *
 * A permission error on opening is refined by openError(): Qt also reports the lock of a
 * port that is in use as one.
 */
constexpr std::array<ErrorRow, 11> kErrorTable = {{
    {QSerialPort::NoError, 0, 0, Reaction::Ignore},
    {QSerialPort::DeviceNotFoundError, errors::kInvalidPortNumber, errors::kPortRemoved,
     Reaction::PortLost},
    {QSerialPort::PermissionError, errors::kPortAlreadyOpen, errors::kPermissionDenied,
     Reaction::LineEvent},
    {QSerialPort::OpenError, errors::kPortAlreadyOpen, 0, Reaction::Ignore},
    {QSerialPort::WriteError, errors::kPortWriteFailed, errors::kPortWriteFailed,
     Reaction::PortLost},
    {QSerialPort::ReadError, errors::kPortReadFailed, errors::kPortReadFailed, Reaction::PortLost},
    {QSerialPort::ResourceError, errors::kPortRemoved, errors::kPortRemoved, Reaction::PortLost},
    // A device that is no serial port (a plain file) or refuses 9600 8N1.
    {QSerialPort::UnsupportedOperationError, errors::kSetCommStateFailed,
     errors::kSetCommStateFailed, Reaction::LineEvent},
    // Opening a directory, or a system error Qt has no name for.
    {QSerialPort::UnknownError, errors::kInvalidPortNumber, errors::kSetCommStateFailed,
     Reaction::LineEvent},
    {QSerialPort::TimeoutError, 0, 0, Reaction::Ignore},  // only from waitFor...(), never called
    {QSerialPort::NotOpenError, errors::kPortNotOpen, 0, Reaction::Ignore},
}};

static_assert(kErrorTable[QSerialPort::UnknownError].error == QSerialPort::UnknownError);

/**
 * Read failures in a row, with the line still up, taken for false alarms before the port
 * counts as lost anyway. Qt reports a wake-up that finds no byte (another reader on the
 * same device took them, the line was flushed) as a read error although the device is
 * fine; a real loss shows as hang-up on the descriptor. The cap keeps a device that fails
 * without hanging up from spinning.
 */
constexpr int kMaxFalseAlarms = 50;

/** What the descriptor reports, asked by a poll with no timeout: it only asks, never waits. */
enum class LineState {
    Up,      ///< nothing wrong with the descriptor
    HungUp,  ///< the other end is gone (a USB adapter pulled, the pty's other end closed)
    Failed,  ///< an error condition on the descriptor
};

/** Bytes wait to be read on the descriptor; asked by a poll with no timeout. */
bool readable(const QSerialPort* port)
{
#ifdef Q_OS_UNIX
    pollfd probe{static_cast<int>(port->handle()), POLLIN, 0};
    return ::poll(&probe, 1, 0) > 0 && (probe.revents & POLLIN) != 0;
#else
    Q_UNUSED(port);
    return false;
#endif
}

LineState lineState(const QSerialPort* port)
{
#ifdef Q_OS_UNIX
    pollfd probe{static_cast<int>(port->handle()), POLLIN | POLLOUT, 0};
    if (::poll(&probe, 1, 0) < 0)
        return errno == EINTR ? LineState::Up : LineState::Failed;
    if ((probe.revents & POLLHUP) != 0)
        return LineState::HungUp;
    return (probe.revents & (POLLERR | POLLNVAL)) != 0 ? LineState::Failed : LineState::Up;
#else
    Q_UNUSED(port);
    return LineState::Failed;
#endif
}

const ErrorRow& rowFor(QSerialPort::SerialPortError error)
{
    for (const ErrorRow& row : kErrorTable) {
        if (row.error == error)
            return row;
    }
    return kErrorTable[static_cast<std::size_t>(QSerialPort::UnknownError)];
}

void setOut(AppError* out, const AppError& error)
{
    if (out)
        *out = error;
}

}  // namespace

SerialLink::SerialLink(QObject* parent) : QObject(parent), m_port(new QSerialPort(this))
{
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setTimerType(Qt::PreciseTimer);
    m_quietTimer.setInterval(kQuietGap);
    connect(&m_quietTimer, &QTimer::timeout, this, &SerialLink::onQuietGap);
    connect(m_port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialLink::onErrorOccurred);
}

SerialLink::~SerialLink()
{
    close();
}

bool SerialLink::open(const QString& device, AppError* error)
{
    close();
    if (device.isEmpty()) {
        setOut(error, AppError::fromNumber(errors::kInvalidPortNumber));
        return false;
    }
    m_port->setPortName(device);
    m_port->setBaudRate(m_baudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_configuring = true;
    const bool opened = m_port->open(QIODevice::ReadWrite);
    if (!opened) {
        m_configuring = false;
        setOut(error, openError(device));
        m_port->clearError();
        return false;
    }
    // A pseudo-terminal or a bare three-wire adapter has no modem lines: not an error.
    m_port->setDataTerminalReady(true);
    m_port->setRequestToSend(true);
    m_port->clearError();
    m_configuring = false;
    m_device = device;
    m_falseAlarms = 0;
    ++m_generation;
    setOut(error, AppError{});
    return true;
}

AppError SerialLink::openError(const QString& device) const
{
    const QSerialPort::SerialPortError error = m_port->error();
    if (error == QSerialPort::PermissionError) {
        // Qt reports a lock held by another program (or by another link in this one) as a
        // permission error. A device we may read and write is therefore in use.
        const QFileInfo info(device);
        const int number = info.isReadable() && info.isWritable() ? errors::kPortAlreadyOpen
                                                                  : errors::kPermissionDenied;
        return AppError::withDetail(number, device);
    }
    const int number = rowFor(error).openNumber;
    return AppError::withDetail(number != 0 ? number : errors::kInvalidPortNumber, device);
}

void SerialLink::close()
{
    m_quietTimer.stop();
    m_cutter.dropPartial();
    m_pending.clear();
    if (m_port->isOpen())
        m_port->close();
    m_port->clearError();
}

bool SerialLink::isOpen() const
{
    return m_port->isOpen();
}

QString SerialLink::device() const
{
    return m_device;
}

bool SerialLink::write(const QByteArray& frame)
{
    if (!m_port->isOpen())
        return false;
    if (m_port->write(frame) != frame.size())
        return false;
    emit frameWritten(frame);
    return true;
}

bool SerialLink::bytesWaiting() const
{
    if (!m_port->isOpen())
        return false;
    return m_cutter.hasPartial() || !m_pending.isEmpty() || m_port->bytesAvailable() > 0 ||
           readable(m_port);
}

void SerialLink::onReadyRead()
{
    // QSerialPort does not signal readyRead again while a receiver of ours is still
    // running (inside a Delay, say): bytes that came meanwhile wait in its buffer and are
    // taken here once the delivery is over.
    do {
        takeBytes();
        if (!deliverPending())
            return;
    } while (m_port->isOpen() && m_port->bytesAvailable() > 0);
}

void SerialLink::takeBytes()
{
    const QByteArray bytes = m_port->readAll();
    if (!bytes.isEmpty())
        m_falseAlarms = 0;
    m_pending.append(m_cutter.feed(bytes));
    if (m_cutter.hasPartial())
        m_quietTimer.start();
    else
        m_quietTimer.stop();
}

bool SerialLink::deliverPending()
{
    // A receiver may wait (Delay) while it handles a frame, and so let the quiet gap or
    // more bytes in. Newer frames join the queue and this loop hands them over after the
    // older ones: frames always arrive in order and two deliveries never overlap.
    if (m_delivering)
        return true;
    m_delivering = true;
    const QPointer<SerialLink> alive(this);
    while (!m_pending.isEmpty()) {
        const QString frame = m_pending.takeFirst();
        emit frameReceived(frame);
        if (!alive)
            return false;
    }
    m_delivering = false;
    return true;
}

void SerialLink::onQuietGap()
{
    // Bytes already in QSerialPort's buffer (held back while a receiver runs) are not
    // quiet: take them first.
    if (m_port->isOpen() && m_port->bytesAvailable() > 0) {
        takeBytes();
        deliverPending();
        return;
    }
    const auto byteCount = static_cast<int>(m_cutter.partialSize());
    m_cutter.dropPartial();
    if (byteCount > 0)
        emit partialDropped(byteCount);
}

void SerialLink::onErrorOccurred()
{
    // Errors while opening are told by open(); after close() nothing is left to report.
    if (m_configuring || !m_port->isOpen())
        return;
    const ErrorRow& row = rowFor(m_port->error());
    switch (row.whileOpen) {
        case Reaction::Ignore:
            return;
        case Reaction::LineEvent:
            m_port->clearError();
            emit lineEvent(row.lineNumber);
            return;
        case Reaction::PortLost: {
            const LineState state = lineState(m_port);
            if (state == LineState::Up && ++m_falseAlarms <= kMaxFalseAlarms) {
                rearmReading();
                return;
            }
            // A hang-up is the device's removal, whichever read or write noticed it first.
            losePort(state == LineState::HungUp ? errors::kPortRemoved : row.lineNumber);
            return;
        }
    }
}

void SerialLink::rearmReading()
{
    // After a read that found nothing, QSerialPort may stop watching the descriptor (it
    // takes "try again" for a lost resource). Changing the read buffer size makes it watch
    // again; 0 is the unlimited size the link always uses.
    m_port->clearError();
    m_port->setReadBufferSize(1);
    m_port->setReadBufferSize(0);
}

void SerialLink::losePort(int number)
{
    // Closing here removes the descriptor's notifiers, which ends Qt's error loop on a
    // dead descriptor. The news goes out from the event loop, not from inside
    // QSerialPort's notification, so a receiver may safely delete this link.
    const AppError error = AppError::withDetail(number, m_device);
    close();
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, error, generation] {
            if (generation == m_generation && !m_port->isOpen())
                emit portLost(error);
        },
        Qt::QueuedConnection);
}
