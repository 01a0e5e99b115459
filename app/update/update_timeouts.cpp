#include "app/update/update_timeouts.h"

#include "app/registry_settings.h"

namespace
{

struct TIMEOUT_SETTING
{
    const char* name;
    int defaultValue;
};

const TIMEOUT_SETTING kTimeouts[] = {
    {"UpgradePacketTimeout", 5000},
    {"UpgradeResetTimeout", 60000},
    {"RecordPacketTimeout2", 120000},
};

} // namespace

int ReadUpdateTimeout(_eUpdateTimeout timeout)
{
    const TIMEOUT_SETTING& setting = kTimeouts[timeout];
    return PeekRegistryInt(setting.name, setting.defaultValue);
}

void CreateMissingUpdateTimeouts()
{
    for (const TIMEOUT_SETTING& setting : kTimeouts)
        ReadRegistryInt(setting.name, setting.defaultValue);
}
