#include "hamlib/hamlibbackend.h"

#include "hamlib/hamlibprofile.h"
#include "hamlib/hamlibradio.h"

#include <array>

namespace {

/** The tuning steps of the window's STEP buttons, by step code, in Hz. */
constexpr std::array<quint32, 10> kStepHz = {10,     100,    1'000,  5'000,  9'000,
                                             10'000, 12'500, 20'000, 25'000, 100'000};

}  // namespace

HamlibBackend::HamlibBackend(const HamlibTarget& target, std::chrono::milliseconds pollPeriod,
                             QObject* parent)
    : RadioBackend(parent),
      m_target(target),
      m_pollPeriod(pollPeriod),
      m_radio(new HamlibRadio(this))
{
    connect(m_radio, &HamlibRadio::opened, this, [this](const HamlibCapabilities& capabilities) {
        m_capabilities = capabilities;
        m_profile = &hamlibProfile(capabilities);
        emit opened();
    });
    connect(m_radio, &HamlibRadio::openFailed, this, &RadioBackend::openFailed);
    connect(m_radio, &HamlibRadio::answeringChanged, this, &RadioBackend::answeringChanged);
    connect(m_radio, &HamlibRadio::debugLine, this, &RadioBackend::debugLine);
    connect(m_radio, &HamlibRadio::heard, this, [this](const HamlibReading& reading) {
        emit heard({reading.frequencyHz, reading.modeCode, reading.vfo, reading.split});
    });
}

HamlibBackend::~HamlibBackend() = default;

void HamlibBackend::open()
{
    m_capabilities.reset();
    m_radio->setPollPeriod(m_pollPeriod);
    m_radio->open(m_target);
}

void HamlibBackend::close()
{
    m_radio->close();
}

QString HamlibBackend::place() const
{
    return m_target.device;
}

QString HamlibBackend::radioName() const
{
    return m_capabilities ? m_capabilities->modelName : QString();
}

RadioAbilities HamlibBackend::abilities() const
{
    RadioAbilities can;
    const QString name = m_capabilities && !m_capabilities->modelName.isEmpty()
                             ? m_capabilities->modelName
                             : QStringLiteral("radio");
    const QString route =
        m_target.remote() ? QStringLiteral("through rigctld") : QStringLiteral("through Hamlib");
    if (!m_capabilities || !m_capabilities->radioScan)
        can.noRadioScan = QStringLiteral("The %1 cannot start its own scan %2").arg(name, route);
    if (!m_capabilities || !m_capabilities->tuningStep)
        can.noTuningStep = QStringLiteral("The %1 cannot set its tuning step %2").arg(name, route);
    can.noOtherModes = QStringLiteral("The %1 does not offer this mode %2").arg(name, route);
    if (!m_capabilities || !m_capabilities->split)
        can.noSplit = QStringLiteral("The %1 cannot switch split %2").arg(name, route);
    if (!m_capabilities || !m_capabilities->vfoB)
        can.noVfoB = QStringLiteral("The %1 has no VFO B to select %2").arg(name, route);
    if (m_capabilities)
        can.modeCodes = m_capabilities->modeCodes;
    return can;
}

HamlibBackend::Result HamlibBackend::request(Action action, quint64 value, Completion done)
{
    switch (action) {
        case Action::SetFrequency:
            return m_radio->setFrequency(value, std::move(done));
        case Action::SetMode:
            return m_radio->setMode(quint8(value), std::move(done));
        case Action::SelectVfo:
            return m_radio->selectVfo(
                value != 0 ? RadioState::VfoSelected::B : RadioState::VfoSelected::A,
                std::move(done));
        case Action::SetSplit:
            return m_radio->setSplit(value != 0, std::move(done));
        case Action::ReadFrequency:
            return m_radio->readFrequency(std::move(done));
        case Action::ReadMode:
            return m_radio->readMode(std::move(done));
        case Action::SetRadioScan:
            return m_radio->setRadioScan(value != 0, std::move(done));
        case Action::SetTuningStep:
            if (value < kStepHz.size())
                return m_radio->setTuningStep(kStepHz[value], std::move(done));
            break;
        case Action::None:
            break;
    }
    return AppError::withDetail(errors::kInvalidArgument,
                                QStringLiteral("this command is not carried through Hamlib"));
}
