// CZipStorage: the bytes of an archive, in one file or over several volumes.
//
// Archives come whole (one file on disk or in memory) or segmented:
//  - split into files on one disk: volume n (from 1) is named with the
//    extension "z01" ... "z99", then "z100" and on; the last volume keeps the
//    archive's own extension (m_szSplitExtension when it is written);
//  - spanned over removable disks, each labelled "pkback# 001" and on. Such
//    an archive needs a removable device, a callback that asks the user for
//    the next disk and disks that take a label; this build has no callback,
//    so creating one fails with nonRemovable, or with noCallback on a
//    removable device.
// Writes go through a buffer; records that must not be cut (headers) are
// written at once, starting a new volume when the current one has no room.
// Offsets are counted from the start of the current volume.
#pragma once

#include "platform/base/cstring.h"
#include "zip/zip_auto_buffer.h"
#include "zip/zip_declarations.h"
#include "zip/zip_file.h"

class CZipAbstractFile;

class CZipStorage
{
public:
    enum OpenMode
    {
        zipOpen = 1,
        zipOpenReadOnly = 2,
        zipCreate = 4,
        // A new archive split into files of at most the given volume size.
        zipCreateSplit = 8,
        // A new archive spanned over removable disks.
        zipCreateSpan = 16,
    };

    // What IsSegmented says.
    enum SegmentationMode
    {
        noSegments = 0,
        spannedArchive = 1,
        splitArchive = -1,
    };

    static constexpr ZIP_VOLUME_TYPE NO_VOLUME = 0xFFFF;

    CZipStorage();
    virtual ~CZipStorage();

    void Open(LPCTSTR lpszPathName, int iMode, ZIP_SIZE_TYPE uVolumeSize, DWORD uBufferSize);
    // An archive in the caller's file, which stays the caller's; never segmented.
    void Open(CZipAbstractFile& af, int iMode, DWORD uBufferSize);
    // Writes what is buffered and gives the last volume of a new split
    // archive its name; after an exception only closes the file.
    void Close(bool bAfterException);
    bool IsClosed() const { return m_pFile == nullptr; }
    bool IsReadOnly() const { return m_bReadOnly; }
    // 0, spannedArchive or splitArchive.
    int IsSegmented() const { return m_iSegmMode; }
    bool IsNewSegmented() const { return m_iSegmMode != noSegments && m_bNewSegm; }
    bool IsExistingSegmented() const { return m_iSegmMode != noSegments && !m_bNewSegm; }

    // Writing.
    void Write(const void* pBuf, DWORD uSize, bool bAtOnce);
    // Makes sure uNeeded bytes fit in the current volume, starting the next
    // one when they do not.
    void AssureFree(DWORD uNeeded);
    void Flush();
    // Where the next byte goes (or comes from) in the current volume.
    ZIP_SIZE_TYPE GetPosition() const;
    ZIP_VOLUME_TYPE GetCurrentVolume() const { return m_uCurrentVolume; }

    // Reading. Reads go on into the next volume of a segmented archive;
    // bAtOnce asks for all uSize bytes or badZipFile.
    DWORD Read(void* pBuf, DWORD uSize, bool bAtOnce);
    void Seek(ZIP_SIZE_TYPE uOffset);
    ZIP_SIZE_TYPE GetLength() const;
    // Cuts the archive at uOffset in the current volume (single archives,
    // to add files where the old central directory stood).
    void Truncate(ZIP_SIZE_TYPE uOffset);
    // Tells an archive opened for reading that it is split and its file is
    // volume uLastVolume (counted from 0).
    void SetSplitRead(ZIP_VOLUME_TYPE uLastVolume);
    void ChangeVolume(ZIP_VOLUME_TYPE uNumber);
    ZIP_VOLUME_TYPE GetLastVolume() const { return m_uLastVolume; }

    // The file name of volume uVolume (counted from 1) of a split archive.
    static CString GetSplitVolumeName(LPCTSTR lpszArchivePath, DWORD uVolume, bool bLast);
    // The label of disk uDisk (counted from 1) of a spanned archive.
    static CString GetSpanVolumeLabel(DWORD uDisk);

    CString GetArchivePath() const { return m_szArchiveName; }

    // The extension that the last volume of a split archive keeps.
    CString m_szSplitExtension;

private:
    void OpenVolumeFile(ZIP_VOLUME_TYPE uVolume, UINT nFlags);
    // Back to closed, after the file has gone.
    void Reset();
    void NextVolume();
    void WriteToFile(const char* pBuf, DWORD uSize);
    DWORD VolumeLeft() const;
    CString VolumeName(ZIP_VOLUME_TYPE uVolume) const;
    // Only the last volume of a split archive has the archive's own name.
    bool IsLastVolume(ZIP_VOLUME_TYPE uVolume) const;

    CZipFile m_internalFile;
    CZipAbstractFile* m_pFile;
    CZipAutoBuffer m_pWriteBuffer;
    DWORD m_uBytesInWriteBuffer;
    ZIP_VOLUME_TYPE m_uCurrentVolume;
    ZIP_VOLUME_TYPE m_uLastVolume;
    ZIP_SIZE_TYPE m_uVolumeSize;
    int m_iSegmMode;
    bool m_bNewSegm;
    bool m_bReadOnly;
    CString m_szArchiveName;
};
