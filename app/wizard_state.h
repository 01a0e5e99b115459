// What the wizard's pages share through the sheet: the package and its
// family, the listed devices and the two update options. The first page
// writes the package fields, the discover page the devices and options; the
// progress page and the update engine only read them, and nothing changes
// while devices are being updated.
#pragma once

#include "app/device_record.h"
#include "platform/base/array.h"
#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

class CWizardState
{
public:
    CWizardState();
    virtual ~CWizardState();
    CWizardState(const CWizardState&) = delete;
    CWizardState& operator=(const CWizardState&) = delete;

    // Deletes every device record and empties the array.
    void DeleteDevices();

    // The device of the index, or nullptr when there is none.
    _TDevice* GetDevice(int index) const;

    // Whether a discovered device of the type fits the package: in test
    // mode every device; else the type's class must be the family, a
    // family package needs the type's feature flag to be the sub-family
    // flag, and a package for one type needs that type.
    BOOL IsDeviceForPackage(int nDeviceType) const;

    // Full path of the selected package (*.zpk).
    CString m_strPackagePath;
    // Device class the package targets (1..5); 0 = none.
    int m_nFamily;
    // The one _eDeviceType the package is limited to; -1 = any of the family.
    int m_nExpectedDeviceType;
    // The listed devices, owned here.
    CArray<_TDevice*, _TDevice*> m_devices;
    // 1: the discover page accepts devices of any type.
    int m_nTestMode;
    // 1: the package covers a whole family (device feature must equal the
    // sub-family flag), and the device's boot loader is checked first.
    int m_nFamilyPackage;
    int m_nSubFamily;
    // Options "Force Complete Upgrade" and "Restore Default Configuration".
    int m_nForceCompleteUpgrade;
    int m_nRestoreDefaultConfig;
};
