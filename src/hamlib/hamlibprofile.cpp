#include "hamlib/hamlibprofile.h"

#include <QMutex>

#include <deque>
#include <string>
#include <vector>

namespace {

/** One profile and the storage its spans and name point to. */
struct ProfileStore {
    std::u16string name;
    std::vector<FrequencyRange> ranges;
    std::vector<RadioMode> modes;
    RadioProfile profile{};
};

}  // namespace

const RadioProfile& hamlibProfile(const HamlibCapabilities& capabilities)
{
    // A deque never moves what it holds: every profile handed out stays where it is.
    static QMutex mutex;
    static std::deque<ProfileStore> stores;
    const QMutexLocker lock(&mutex);
    ProfileStore& store = stores.emplace_back();
    const QString name = capabilities.modelName.isEmpty()
                             ? QStringLiteral("Hamlib model %1").arg(capabilities.model)
                             : capabilities.modelName;
    store.name = name.toStdU16String();
    for (const FrequencyRange& range : capabilities.receiveRanges) {
        const quint64 low = std::max<quint64>(range.lowestHz, 1);
        const quint64 high = std::min(range.highestHz, kHighestStorableHz);
        if (low <= high)
            store.ranges.push_back({low, high});
    }
    if (store.ranges.empty())
        store.ranges.push_back({1, kHighestStorableHz});
    for (const RadioMode& mode : kRadioProfile.modes) {
        if (capabilities.modeCodes.isEmpty() || capabilities.modeCodes.contains(mode.code))
            store.modes.push_back(mode);
    }
    store.profile =
        RadioProfile{store.name.c_str(), store.ranges, store.modes, 0, false, capabilities.model};
    return store.profile;
}
