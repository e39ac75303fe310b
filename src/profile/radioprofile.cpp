#include "profile/radioprofile.h"

#include <atomic>

namespace {

std::atomic<const RadioProfile*> g_current{&kRadioProfile};

}  // namespace

namespace radioprofile {

const RadioProfile& nativeAt(quint8 address)
{
    for (const RadioProfile* profile : kNativeProfiles) {
        if (profile->defaultAddress == address)
            return *profile;
    }
    return kRadioProfile;
}

const RadioProfile& current()
{
    return *g_current.load(std::memory_order_acquire);
}

void setCurrent(const RadioProfile& profile)
{
    g_current.store(&profile, std::memory_order_release);
}

}  // namespace radioprofile
