#include "app/wizard_state.h"

CWizardState::CWizardState()
    : m_nFamily(0),
      m_nExpectedDeviceType(-1),
      m_nTestMode(0),
      m_nFamilyPackage(0),
      m_nSubFamily(0),
      m_nForceCompleteUpgrade(0),
      m_nRestoreDefaultConfig(0)
{
}

CWizardState::~CWizardState()
{
    DeleteDevices();
}

void CWizardState::DeleteDevices()
{
    while (m_devices.GetSize() > 0)
    {
        _TDevice* device = m_devices[0];
        m_devices.RemoveAt(0);
        delete device;
    }
}

_TDevice* CWizardState::GetDevice(int index) const
{
    if (index < 0 || index >= m_devices.GetSize())
        return nullptr;
    return m_devices[index];
}
