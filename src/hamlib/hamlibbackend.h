#pragma once

#include "hamlib/hamlibtypes.h"
#include "radio/radiobackend.h"

#include <QObject>

#include <chrono>
#include <optional>

class HamlibRadio;

/**
 * The radio model's way to a radio through Hamlib (HamlibRadio, its calls on a worker
 * thread): a Hamlib model on a serial port, or a rigctld on another computer. Polls every
 * pollPeriod; what it hears is confirmed state; its "answering" is Hamlib's. Its abilities
 * and profile come from the radio's capabilities once it is open.
 *
 *   HamlibBackend backend({3011, "/dev/ttyUSB0", 9600}, std::chrono::seconds(1));
 *   commands->openBackend(&backend);
 */
class HamlibBackend : public RadioBackend {
    Q_OBJECT
public:
    HamlibBackend(const HamlibTarget& target, std::chrono::milliseconds pollPeriod,
                  QObject* parent = nullptr);
    ~HamlibBackend() override;

    void open() override;
    void close() override;
    QString place() const override;
    QString radioName() const override;
    RadioAbilities abilities() const override;
    const RadioProfile* profile() const override { return m_profile; }
    Result request(Action action, quint64 value, Completion done) override;

    HamlibRadio* radio() const { return m_radio; }
    HamlibTarget target() const { return m_target; }

private:
    HamlibTarget m_target;
    std::chrono::milliseconds m_pollPeriod;
    HamlibRadio* m_radio;
    std::optional<HamlibCapabilities> m_capabilities;
    const RadioProfile* m_profile = nullptr;
};
