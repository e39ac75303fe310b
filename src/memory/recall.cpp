#include "memory/recall.h"

#include "link/delay.h"
#include "link/seriallink.h"
#include "protocol/civ.h"
#include "protocol/frames.h"

#include <vector>

/** One frame of the sequence: built when its turn comes (reading the input it needs), with
 *  what to do on the window just before it is sent. */
struct Recall::Step {
    std::function<std::optional<QByteArray>()> frame;
    std::function<void()> before;
    QString input;  ///< the input the frame is made from, named for a refusal
};

namespace {

constexpr double kPauseSeconds = std::chrono::duration<double>(Recall::kFramePause).count();

AppError notRecallable(const QString& why)
{
    return AppError::withDetail(errors::kMemoryNotRecallable, why);
}

QString frequencyProblem(const QString& which, const QString& text)
{
    return QStringLiteral(
               "the %1 frequency \"%2\" is not three groups of three digits "
               "joined by points")
        .arg(which, text);
}

QString modeProblem(const QString& text)
{
    return QStringLiteral("the mode \"%1\" is none of LSB, USB, AM, CW, RTTY, FM, WFM").arg(text);
}

}  // namespace

Recall::Recall(SerialLink* link, quint8 radioAddress, RecallSource source)
    : m_link(link), m_radioAddress(radioAddress), m_source(std::move(source))
{
}

std::optional<QByteArray> Recall::frequencyFrame(const QString& text) const
{
    return setFrequencyFrameFromStored(m_radioAddress, text);
}

std::optional<QByteArray> Recall::modeFrame() const
{
    const std::optional<quint8> code = modeCode(m_source.memMode());
    if (!code)
        return std::nullopt;
    return setModeFrame(m_radioAddress, *code);
}

std::optional<AppError> Recall::checkMemory(bool split) const
{
    const QString main = m_source.mainFreq();
    if (!frequencyFrame(main))
        return notRecallable(frequencyProblem(QStringLiteral("main"), main));
    if (split) {
        const QString splitText = m_source.splitFreq();
        if (!frequencyFrame(splitText))
            return notRecallable(frequencyProblem(QStringLiteral("split"), splitText));
    }
    const QString mode = m_source.memMode();
    if (!modeCode(mode))
        return notRecallable(modeProblem(mode));
    return std::nullopt;
}

Recall::Outcome Recall::send(const Step& step, AppError* error)
{
    if (delaysAborted())
        return Outcome::Aborted;
    const std::optional<QByteArray> frame = step.frame();
    if (!frame) {
        // The operator moved to another memory during a pause, and that one cannot be sent.
        *error = notRecallable(step.input + QStringLiteral(" changed during the recall"));
        return Outcome::Refused;
    }
    if (!m_link || !m_link->isOpen()) {
        *error = AppError::fromNumber(errors::kPortNotOpen);
        return Outcome::Failed;
    }
    if (step.before)
        step.before();
    if (!m_link->write(*frame)) {
        *error = AppError::fromNumber(errors::kPortWriteFailed);
        return Outcome::Failed;
    }
    Delay(kPauseSeconds);
    return delaysAborted() ? Outcome::Aborted : Outcome::Sent;
}

std::vector<Recall::Step> Recall::sequence(bool split) const
{
    const quint8 radio = m_radioAddress;
    const QString mainInput = QStringLiteral("the main frequency");
    const QString splitInput = QStringLiteral("the split frequency");
    const QString modeInput = QStringLiteral("the mode");
    auto fixed = [](QByteArray frame) {
        return [frame] { return std::optional<QByteArray>(frame); };
    };
    auto mode = [this] { return modeFrame(); };
    auto showSplit = [this](bool on) {
        return [this, on] {
            if (m_source.showSplitIndicator)
                m_source.showSplitIndicator(on);
        };
    };

    std::vector<Step> steps;
    if (split) {
        steps.push_back({fixed(selectVfoFrame(radio, Vfo::B)), {}, {}});
        steps.push_back({[this] { return frequencyFrame(m_source.splitFreq()); }, {}, splitInput});
        steps.push_back({fixed(splitFrame(radio, true)), showSplit(true), {}});
        steps.push_back({mode, {}, modeInput});
    } else {
        steps.push_back({fixed(splitFrame(radio, false)), showSplit(false), {}});
    }
    steps.push_back({fixed(selectVfoFrame(radio, Vfo::A)), {}, {}});
    steps.push_back({[this] { return frequencyFrame(m_source.mainFreq()); }, {}, mainInput});
    steps.push_back({mode, {}, modeInput});

    return steps;
}

Recall::Outcome Recall::run(AppError* error)
{
    AppError ignored;
    if (!error)
        error = &ignored;
    if (m_source.mainFreq().isEmpty())
        return Outcome::NothingShown;
    const bool split = m_source.splitFlag();
    if (const std::optional<AppError> refusal = checkMemory(split)) {
        *error = *refusal;
        return Outcome::Refused;
    }

    for (const Step& step : sequence(split)) {
        const Outcome outcome = send(step, error);
        if (outcome != Outcome::Sent)
            return outcome;
    }
    return Outcome::Sent;
}
