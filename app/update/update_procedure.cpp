// The whole update of one device: boot loader, initialisation image,
// default configuration, and the image of the sections that differ.
#include "app/package/image_container.h"
#include "app/update/update_engine.h"
#include "app/package/update_package.h"
#include "app/update/update_timeouts.h"
#include "platform/base/mem_file.h"
#include "platform/resources/resources.h"

#include <cstring>

namespace
{

// Fixed time-out of the inventory commands.
const int kInventoryTimeout = 5000;

// The sections of these types make the initialisation image across
// generations; type 13 never goes into a forced or complete image.
bool IsCrossGenerationType(BYTE type)
{
    return type == 0 || type == 10 || type == 12;
}
const BYTE kNeverCompleteType = 13;

DWORD ReadNetworkLong(const BYTE* p)
{
    return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) | (static_cast<DWORD>(p[2]) << 8) |
           p[3];
}

// Appends every package section whose type passes the test, each as it
// stands, in one walk that a stop request ends. FALSE when stopped.
template <class Test> BOOL CopySectionsOfTypes(const CUpdateEngine& engine, CFile& package, CFile& image, Test test)
{
    return CopyImageSectionsIf(
        package, image, [&](const _TImageSection& section) { return test(section.type); },
        [&] { return engine.IsStopRequested() != FALSE; });
}

} // namespace

int CUpdateEngine::UpdateDevice(int nIndex)
{
    const _TDevice* device = m_sheet.GetDevice(nIndex);
    if (device == nullptr)
        return 0;
    // Before the first datagram: the runs read the time-outs without writing.
    CreateMissingUpdateTimeouts();
    CIPSimpleClient client;
    _TIPClientConfig settings;
    settings.m_nProtocol = 1;
    settings.m_strHost = device->m_strIPAddress;
    settings.m_nPort = device->m_nUDPPort;

    m_report.SetStatusText(nIndex, "Connecting...");
    m_report.SendProgress(nIndex, 0);
    if (!client.Open(settings))
    {
        CString text;
        text.Format("ERROR Connecting with IP %s", static_cast<LPCTSTR>(settings.m_strHost));
        m_report.ReportError(text, nIndex, 1);
        return 0;
    }
    return UpdateDeviceConnected(client, settings, nIndex);
}

int CUpdateEngine::LoadBootLoader(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, WORD wResourceId,
                                  int nSpan, int nBase)
{
    HMODULE module = GetModuleHandle(nullptr);
    HRSRC info = FindResource(module, MAKEINTRESOURCE(wResourceId), UPDATE_BIOS_RESOURCE_TYPE);
    HGLOBAL data = info != nullptr ? LoadResource(module, info) : nullptr;
    BYTE* bytes = data != nullptr ? static_cast<BYTE*>(LockResource(data)) : nullptr;
    m_report.SetStatusText(nIndex, "Updating BIOS...");
    m_report.SendProgress(nIndex, 1);
    // A program built without its boot-loader image cannot update the loader.
    if (bytes == nullptr)
        return 0;
    CMemFile image(bytes, SizeofResource(module, info), 0);
    return LoadAndRecord(client, settings, nIndex, image, nSpan, nBase, 0, 0);
}

BOOL CUpdateEngine::EndPreliminaryLoad(int nLoaded, int nIndex, int& nSpan, int& nBase)
{
    if (!nLoaded)
    {
        // The silent run reported nothing; a stopped one must not report.
        if (!IsStopRequested())
        {
            m_report.SendProgress(nIndex, -1);
            m_report.SetStatusText(nIndex, "ERROR Updating BIOS");
        }
        return FALSE;
    }
    nSpan -= 5;
    nBase = 5;
    m_report.SendProgress(nIndex, 5);
    return TRUE;
}

int CUpdateEngine::UpdateDeviceConnected(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex)
{
    int span = 30;
    int base = 0;
    // A package larger than the program reads is never cut to a size that
    // fits the stream: it counts as no package at all.
    const UINT packageSize = m_package.size() <= PACKAGE_MAX_SIZE ? static_cast<UINT>(m_package.size()) : 0;
    CMemFile package(reinterpret_cast<BYTE*>(m_package.data()), packageSize, 0);

    WORD resourceId = 0;
    if (m_sheet.m_nFamilyPackage && NeedBiosUpdate(nIndex, resourceId))
    {
        if (!EndPreliminaryLoad(LoadBootLoader(client, settings, nIndex, resourceId, span, base), nIndex, span, base))
            return 0;
    }

    // A stopped update must not wait for someone to close a message box.
    if (IsStopRequested())
        return 0;
    if (package.GetLength() == 0)
    {
        CString text;
        text.Format("Error opening file:\n%s", static_cast<LPCTSTR>(m_sheet.m_strPackagePath));
        m_report.ShowMessageBox(text);
        m_report.SendProgress(nIndex, -1);
        m_report.SetStatusText(nIndex, "Error opening file");
        return 0;
    }

    const int family = m_sheet.m_nFamily;
    if (family != 1 && family != 4 && family != 5)
        return LoadAndRecord(client, settings, nIndex, package, span, base, 1, 0);

    CMemFile init(1024);
    BeginImage(package, init);
    CString idText = "xxxxxx";
    if (IsSameGeneration(nIndex) && HasImageSectionType(package, IMAGE_KEY_INIT & 0xFF) &&
        CompareImageVersion(package, IMAGE_KEY_INIT, -1, "00.0.2") == 1)
    {
        CopyImageSections(package, init, IMAGE_KEY_LOADER_START, -1);
        CopyImageSections(package, init, IMAGE_KEY_PACKAGE_INFO, -1);
        CopyImageSections(package, init, IMAGE_KEY_INIT, -1);
    }
    else if (IsCrossGeneration(nIndex, idText))
    {
        SetImageIdField(init, idText);
        CopyImageSections(package, init, IMAGE_KEY_LOADER_START, -1);
        CopyImageSections(package, init, IMAGE_KEY_PACKAGE_INFO, -1);
        if (!CopySectionsOfTypes(*this, package, init, IsCrossGenerationType))
            return 0;
    }

    if (GetImageSectionCount(init) == 0)
        return LoadAndRecord(client, settings, nIndex, package, span, base, 1, 0);

    m_report.SetStatusText(nIndex, "Initializing...");
    if (!EndPreliminaryLoad(LoadAndRecord(client, settings, nIndex, init, span, base, 0, 1), nIndex, span, base))
        return 0;

    BYTE reply[UPGRADE_PACKET_MAX];
    if (m_sheet.m_nRestoreDefaultConfig)
    {
        ResetDevice(client, settings);
        m_report.SetStatusText(nIndex, "Restoring Default Configuration...");
        SendCommand(client, settings, UPGRADE_RESTORE_DEFAULTS, UPGRADE_EMPTY_PAYLOAD, sizeof(UPGRADE_EMPTY_PAYLOAD),
                    reply, ReadUpdateTimeout(UPGRADE_PACKET_TIMEOUT));
    }

    CMemFile upgrade(1024);
    BeginImage(package, upgrade);
    if (BuildUpgradeImage(client, settings, nIndex, package, upgrade) > 0)
        return LoadAndRecord(client, settings, nIndex, upgrade, span, base, 1, 0);
    if (IsStopRequested())
        return 0;

    SendCommand(client, settings, UPGRADE_NOTHING_TO_UPGRADE, UPGRADE_EMPTY_PAYLOAD, sizeof(UPGRADE_EMPTY_PAYLOAD),
                reply, 0);
    m_report.SetStatusText(nIndex, "Nothing to upgrade!");
    if (!Pause(3000))
        return 0;
    m_report.SendProgress(nIndex, 100);
    m_report.SetRemainingTime(nIndex, -1);
    return 1;
}

int CUpdateEngine::InventoryImage(CIPSimpleClient& client, _TIPClientConfig& settings, int nCommand, int nRecordSize,
                                  CFile& package, CFile& image, BOOL bCountCopies)
{
    BYTE reply[UPGRADE_PACKET_MAX];
    const int count = SendCommand(client, settings, nCommand, nullptr, 0, reply, kInventoryTimeout);
    // An answer without its count, or one whose count claims records that it
    // does not hold, tells nothing of what the device holds: taken as an
    // inventory, it would leave out the sections it lost on the way, and the
    // device would keep them old. It counts as no answer.
    if (count <= UPGRADE_HEADER_SIZE)
        return -1;
    const int records = reply[8];
    if (UPGRADE_INVENTORY_FIRST + records * nRecordSize > count)
        return -1;
    CopyImageSections(package, image, IMAGE_KEY_LOADER_START, -1);
    CopyImageSections(package, image, IMAGE_KEY_PACKAGE_INFO, -1);
    int copies = 0;
    for (int i = 0; i < records; ++i)
    {
        const BYTE* record = reply + UPGRADE_INVENTORY_FIRST + i * nRecordSize;
        const WORD key = static_cast<WORD>((record[0] << 8) | record[1]);
        const int id = static_cast<int>(ReadNetworkLong(record + 2));
        const CString version(reinterpret_cast<const char*>(record + 6), 6);
        if (CompareImageVersion(package, key, id, version) != 0)
        {
            CopyImageSections(package, image, key, id);
            ++copies;
        }
    }
    if (bCountCopies && copies == 0)
        return 0;
    return GetImageSectionCount(image);
}

int CUpdateEngine::BuildUpgradeImage(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, CFile& package,
                                     CFile& image)
{
    (void)nIndex;
    ResetDevice(client, settings);
    if (!m_sheet.m_nForceCompleteUpgrade)
    {
        int sections = InventoryImage(client, settings, UPGRADE_INVENTORY_12, UPGRADE_INVENTORY_12_SIZE, package,
                                      image, TRUE);
        if (sections >= 0)
            return sections;
        sections = InventoryImage(client, settings, UPGRADE_INVENTORY_32, UPGRADE_INVENTORY_32_SIZE, package, image,
                                  FALSE);
        if (sections >= 0)
            return sections;
    }
    if (IsStopRequested())
        return 0;
    if (!CopySectionsOfTypes(*this, package, image, [](BYTE type) { return type != kNeverCompleteType; }))
        return 0;
    return GetImageSectionCount(image);
}
