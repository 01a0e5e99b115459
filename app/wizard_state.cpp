#include "app/wizard_state.h"

#include "common/discover/device_types.h"

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

BOOL CWizardState::IsDeviceForPackage(int nDeviceType) const
{
    if (m_nTestMode)
        return TRUE;
    if (GetDeviceClass(GetDeviceGroup(nDeviceType)) != m_nFamily)
        return FALSE;
    if (m_nFamilyPackage && HasDeviceFeature(nDeviceType) != m_nSubFamily)
        return FALSE;
    return m_nExpectedDeviceType == -1 || m_nExpectedDeviceType == nDeviceType;
}
