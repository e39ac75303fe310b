#include "sim/virtualradio.h"

#include "profile/radioprofile.h"
#include "protocol/civ.h"
#include "protocol/frames.h"
#include "sim/ptyline.h"
#include "sim/simcodec.h"

#include <QRandomGenerator>
#include <QTimer>

#include <array>

namespace {

/** Tuning steps in hertz, by step code 00..09. */
constexpr std::array<quint64, 10> kTuningSteps = {10,    100,   1000,  5000,  9000,
                                                  10000, 12500, 20000, 25000, 100000};

/** FE FE to from cmd FD: the shortest frame that carries a command. */
constexpr qsizetype kMinFrameLength = 6;

/** The longest frame this radio understands is 11 bytes; a run of bytes this long without
 *  FD is line noise and is dropped rather than grown without bound. */
constexpr qsizetype kMaxFrameLength = 64;

constexpr std::chrono::milliseconds kDefaultScanInterval{100};

constexpr quint8 kVfoA = 0x00;
constexpr quint8 kVfoB = 0x01;
constexpr quint8 kVfoEqualize = 0xA0;
constexpr quint8 kVfoExchange = 0xB0;
constexpr quint8 kMaxFilter = 0x03;

}  // namespace

VirtualRadio::VirtualRadio(quint8 address, QObject* parent)
    : QObject(parent), m_address(address), m_line(new PtyLine(this)), m_scanTimer(new QTimer(this))
{
    m_scanTimer->setInterval(kDefaultScanInterval);
    connect(m_scanTimer, &QTimer::timeout, this, &VirtualRadio::scanStep);
    connect(m_line, &PtyLine::bytesRead, this, &VirtualRadio::onBytesRead);
}

VirtualRadio::~VirtualRadio() = default;

bool VirtualRadio::start(QString* error)
{
    return m_line->open(error);
}

QString VirtualRadio::devicePath() const
{
    return m_line->devicePath();
}

quint64 VirtualRadio::frequency() const
{
    return m_frequency[current()];
}

quint64 VirtualRadio::frequency(VfoId vfo) const
{
    return m_frequency[index(vfo)];
}

quint8 VirtualRadio::mode() const
{
    return m_mode[current()];
}

quint8 VirtualRadio::mode(VfoId vfo) const
{
    return m_mode[index(vfo)];
}

quint8 VirtualRadio::filter() const
{
    return m_filter[current()];
}

quint8 VirtualRadio::filter(VfoId vfo) const
{
    return m_filter[index(vfo)];
}

VirtualRadio::VfoId VirtualRadio::currentVfo() const
{
    return m_vfo;
}

bool VirtualRadio::split() const
{
    return m_split;
}

bool VirtualRadio::scanning() const
{
    return m_scanning;
}

quint8 VirtualRadio::tuningStep() const
{
    return m_step;
}

quint64 VirtualRadio::tuningStepHz(quint8 code)
{
    return code < kTuningSteps.size() ? kTuningSteps[code] : 0;
}

void VirtualRadio::setScanInterval(std::chrono::milliseconds interval)
{
    m_scanTimer->setInterval(interval);
}

// ---- front panel ---------------------------------------------------------------------

void VirtualRadio::setFrequency(quint64 hz)
{
    if (hz > simcodec::kMaxBcdFrequency) {
        return;
    }
    m_frequency[current()] = hz;
    announceFrequency();
}

void VirtualRadio::setMode(quint8 code)
{
    m_mode[current()] = code;
    announceMode();
}

void VirtualRadio::selectVfo(VfoId vfo)
{
    m_vfo = vfo;
    announceFrequency();
    announceMode();
}

void VirtualRadio::sendRaw(const QByteArray& bytes)
{
    send(bytes);
}

void VirtualRadio::sendTwoFramesInOneWrite()
{
    send(frequencyAnnounce() + modeAnnounce());
}

void VirtualRadio::sendCutFrame()
{
    const QByteArray frame = frequencyAnnounce();
    send(frame.left(frame.size() / 2));
}

void VirtualRadio::sendGarbage(int count)
{
    QByteArray bytes;
    bytes.reserve(qMax(count, 0));
    for (int i = 0; i < count; ++i) {
        // 0..254 with FD moved to FF: every byte value but the end-of-frame mark.
        auto value = quint8(QRandomGenerator::global()->bounded(255));
        if (value == civ::kEndOfFrame) {
            value = 0xFF;
        }
        bytes.append(char(value));
    }
    send(bytes);
}

void VirtualRadio::setSilent(bool silent)
{
    m_silent = silent;
}

void VirtualRadio::discardUnread()
{
    m_line->discardUnread();
}

int VirtualRadio::clientBaudRate() const
{
    return m_line->clientBaudRate();
}

bool VirtualRadio::hasClient() const
{
    return m_line->hasClient();
}

// ---- the line ------------------------------------------------------------------------

void VirtualRadio::onBytesRead(const QByteArray& bytes)
{
    send(bytes);  // the bus: every byte comes back before any answer
    for (const char byte : bytes) {
        receiveByte(quint8(byte));
    }
}

void VirtualRadio::receiveByte(quint8 byte)
{
    const qsizetype size = m_rxBuffer.size();
    if (byte == civ::kPreamble) {
        if (size >= 3) {
            m_rxBuffer.clear();  // a new frame starts inside an unfinished one
        }
        if (m_rxBuffer.size() < 2) {
            m_rxBuffer.append(char(byte));  // a third preamble byte is simply skipped
        }
        return;
    }
    if (size < 2 || (size == 2 && byte == civ::kEndOfFrame)) {
        m_rxBuffer.clear();  // noise outside a frame, or an empty frame
        return;
    }
    m_rxBuffer.append(char(byte));
    if (byte == civ::kEndOfFrame) {
        const QByteArray frame = m_rxBuffer;
        m_rxBuffer.clear();
        handleFrame(frame);
    } else if (m_rxBuffer.size() >= kMaxFrameLength) {
        m_rxBuffer.clear();
    }
}

void VirtualRadio::handleFrame(const QByteArray& frame)
{
    emit frameReceived(frame);
    if (m_lineRate != 0 && m_line->clientBaudRate() != m_lineRate) {
        return;  // sent at another rate: noise to this radio
    }
    if (frame.size() < kMinFrameLength || quint8(frame[2]) != m_address) {
        return;
    }
    const auto from = quint8(frame[3]);
    const auto command = quint8(frame[4]);
    const QByteArray data = frame.mid(5, frame.size() - kMinFrameLength);
    const Answer answer = execute(command, data);
    send(civFrame(from, m_address, answer.command, answer.data));
    announcePending();
}

void VirtualRadio::send(const QByteArray& bytes)
{
    m_lastSendProblem.clear();
    if (bytes.isEmpty()) {
        return;
    }
    if (m_silent) {
        m_lastSendProblem = QStringLiteral("the radio is silent");
        return;
    }
    switch (m_line->write(bytes)) {
        case PtyLine::WriteResult::Queued:
            emit bytesSent(bytes);
            return;
        case PtyLine::WriteResult::NoClient:
            m_lastSendProblem = QStringLiteral("no client has the line open");
            break;
        case PtyLine::WriteResult::QueueFull:
            m_lastSendProblem =
                QStringLiteral("more than the line's queue of %1 bytes has room for")
                    .arg(PtyLine::kMaxQueued);
            break;
        case PtyLine::WriteResult::Closed:
            m_lastSendProblem = QStringLiteral("the line is closed");
            break;
    }
    emit sendRefused(bytes, m_lastSendProblem);
}

// ---- commands ------------------------------------------------------------------------

VirtualRadio::Answer VirtualRadio::execute(quint8 command, const QByteArray& data)
{
    if (m_refusing && command != civ::kCmdReadFrequency && command != civ::kCmdReadMode) {
        return {civ::kNg, {}};
    }
    switch (command) {
        case civ::kCmdReadFrequency:
            if (data.isEmpty()) {
                return {command, simcodec::frequencyBytes(frequency())};
            }
            break;
        case civ::kCmdReadMode:
            if (data.isEmpty()) {
                return {command, simcodec::modeBytes(mode(), filter())};
            }
            break;
        case civ::kCmdSetFrequency:
            return setFrequencyFromLine(data);
        case civ::kCmdSetMode:
            return setModeFromLine(data);
        case civ::kCmdVfo:
            return vfoCommand(data);
        case civ::kCmdScan:
            return scanCommand(data);
        case civ::kCmdSplit:
            return splitCommand(data);
        case civ::kCmdTuningStep:
            return stepCommand(data);
        default:
            break;
    }
    return {civ::kNg, {}};
}

VirtualRadio::Answer VirtualRadio::setFrequencyFromLine(const QByteArray& data)
{
    const std::optional<quint64> hz = simcodec::frequencyFromBytes(data);
    if (!hz || !radioprofile::nativeAt(m_address).receives(*hz)) {
        return {civ::kNg, {}};
    }
    m_frequency[current()] = *hz;
    return {civ::kOk, {}};
}

VirtualRadio::Answer VirtualRadio::setModeFromLine(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > 2 || quint8(data[0]) > kMaxModeCode) {
        return {civ::kNg, {}};
    }
    const quint8 filter = data.size() == 2 ? quint8(data[1]) : kDefaultFilter;
    if (filter < 1 || filter > kMaxFilter) {
        return {civ::kNg, {}};
    }
    m_mode[current()] = quint8(data[0]);
    m_filter[current()] = filter;
    return {civ::kOk, {}};
}

VirtualRadio::Answer VirtualRadio::vfoCommand(const QByteArray& data)
{
    if (data.size() != 1) {
        return {civ::kNg, {}};
    }
    switch (quint8(data[0])) {
        case kVfoA:
            switchVfo(VfoId::A);
            break;
        case kVfoB:
            switchVfo(VfoId::B);
            break;
        case kVfoEqualize: {
            // The VFO not in use takes the contents of the one in use; nothing shown changes.
            const int other = 1 - current();
            m_frequency[other] = m_frequency[current()];
            m_mode[other] = m_mode[current()];
            m_filter[other] = m_filter[current()];
            break;
        }
        case kVfoExchange: {
            const quint64 oldFrequency = frequency();
            const quint8 oldMode = mode();
            std::swap(m_frequency[0], m_frequency[1]);
            std::swap(m_mode[0], m_mode[1]);
            std::swap(m_filter[0], m_filter[1]);
            m_pendingFrequency = frequency() != oldFrequency;
            m_pendingMode = mode() != oldMode;
            break;
        }
        default:
            return {civ::kNg, {}};
    }
    return {civ::kOk, {}};
}

void VirtualRadio::switchVfo(VfoId vfo)
{
    if (vfo == m_vfo) {
        return;
    }
    m_vfo = vfo;
    m_pendingFrequency = true;
    m_pendingMode = true;
}

VirtualRadio::Answer VirtualRadio::scanCommand(const QByteArray& data)
{
    if (data.size() != 1 || quint8(data[0]) > 1) {
        return {civ::kNg, {}};
    }
    m_scanning = data[0] == 1;
    if (m_scanning) {
        m_scanTimer->start();
    } else {
        m_scanTimer->stop();
    }
    return {civ::kOk, {}};
}

VirtualRadio::Answer VirtualRadio::splitCommand(const QByteArray& data)
{
    if (data.isEmpty()) {
        return {civ::kCmdSplit, QByteArray(1, char(m_split ? 1 : 0))};
    }
    if (data.size() != 1 || quint8(data[0]) > 1) {
        return {civ::kNg, {}};
    }
    m_split = data[0] == 1;
    return {civ::kOk, {}};
}

VirtualRadio::Answer VirtualRadio::stepCommand(const QByteArray& data)
{
    if (data.isEmpty()) {
        return {civ::kCmdTuningStep, QByteArray(1, char(m_step))};
    }
    if (data.size() != 1 || quint8(data[0]) > kMaxStepCode) {
        return {civ::kNg, {}};
    }
    m_step = quint8(data[0]);
    return {civ::kOk, {}};
}

// ---- transceive ----------------------------------------------------------------------

QByteArray VirtualRadio::frequencyAnnounce() const
{
    return civFrame(civ::kBroadcastAddress, m_address, civ::kCmdAnnounceFrequency,
                    simcodec::frequencyBytes(frequency()));
}

QByteArray VirtualRadio::modeAnnounce() const
{
    return civFrame(civ::kBroadcastAddress, m_address, civ::kCmdAnnounceMode,
                    simcodec::modeBytes(mode(), filter()));
}

void VirtualRadio::announceFrequency()
{
    if (m_transceive) {
        send(frequencyAnnounce());
    }
}

void VirtualRadio::announceMode()
{
    if (m_transceive) {
        send(modeAnnounce());
    }
}

void VirtualRadio::announcePending()
{
    if (m_pendingFrequency) {
        announceFrequency();
    }
    if (m_pendingMode) {
        announceMode();
    }
    m_pendingFrequency = false;
    m_pendingMode = false;
}

void VirtualRadio::scanStep()
{
    quint64 next = frequency() + tuningStepHz(m_step);
    const RadioProfile& profile = radioprofile::nativeAt(m_address);
    if (!profile.receives(next)) {
        next = profile.lowestHz();  // the scan wraps round past the last frequency received
    }
    m_frequency[current()] = next;
    announceFrequency();
}
