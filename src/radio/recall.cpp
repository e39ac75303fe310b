#include "radio/recall.h"

#include "protocol/civ.h"
#include "radio/radiocommands.h"

#include <vector>

namespace {

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

Recall::Recall(RadioCommands* commands, MemorySnapshot memory)
    : m_commands(commands), m_memory(std::move(memory))
{
}

std::optional<AppError> Recall::checkMemory() const
{
    if (!m_commands->storedFrequencyStep(m_memory.mainFreq))
        return notRecallable(frequencyProblem(QStringLiteral("main"), m_memory.mainFreq));
    if (m_memory.split && !m_commands->storedFrequencyStep(m_memory.splitFreq))
        return notRecallable(frequencyProblem(QStringLiteral("split"), m_memory.splitFreq));
    if (!modeCode(m_memory.mode))
        return notRecallable(modeProblem(m_memory.mode));
    return std::nullopt;
}

Recall::Outcome Recall::run(AppError* error)
{
    AppError ignored;
    if (!error)
        error = &ignored;
    if (m_memory.mainFreq.isEmpty())
        return Outcome::NothingShown;
    if (const std::optional<AppError> refusal = checkMemory()) {
        *error = *refusal;
        return Outcome::Refused;
    }

    // Checked above: every frame can be built.
    const RadioCommands& radio = *m_commands;
    const RadioCommands::Step main = *radio.storedFrequencyStep(m_memory.mainFreq);
    const RadioCommands::Step mode = radio.modeStep(*modeCode(m_memory.mode));
    std::vector<RadioCommands::Step> steps;
    if (m_memory.split) {
        steps.push_back(radio.vfoStep(Vfo::B));
        steps.push_back(*radio.storedFrequencyStep(m_memory.splitFreq));
        steps.push_back(radio.splitStep(true));
        steps.push_back(mode);
    } else {
        steps.push_back(radio.splitStep(false));
    }
    steps.push_back(radio.vfoStep(Vfo::A));
    steps.push_back(main);
    steps.push_back(mode);

    switch (m_commands->runSequence(steps, kFramePause, error)) {
        case RadioCommands::SequenceOutcome::Sent:
            return Outcome::Sent;
        case RadioCommands::SequenceOutcome::Aborted:
            return Outcome::Aborted;
        case RadioCommands::SequenceOutcome::Busy:
            return Outcome::Refused;  // another sequence is being sent: nothing was sent
        case RadioCommands::SequenceOutcome::Failed:
            break;
    }
    return Outcome::Failed;
}
