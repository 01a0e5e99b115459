// The ZIP archive reader on any bytes: opening the archive and extracting
// every file (with the password "pass") either works or ends in a
// CZipException*, which is deleted; what is extracted is never longer than
// the file's record says, and the archive closes cleanly either way.
#include "zip/zip_archive.h"
#include "zip/zip_mem_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CZipMemFile file(data, size);
    CZipArchive zip;
    try
    {
        zip.Open(file, CZipArchive::zipOpenReadOnly);
    }
    catch (CZipException* e)
    {
        e->Delete();
        if (!zip.IsClosed())
            std::abort();
        return 0;
    }
    zip.SetPassword("pass");
    for (ZIP_INDEX_TYPE i = 0; i < zip.GetCount(); ++i)
    {
        CZipFileHeader info;
        if (!zip.GetFileInfo(info, i))
            std::abort();
        CZipMemFile out;
        try
        {
            if (zip.ExtractFile(i, out) && out.GetLength() != info.m_uUncomprSize)
                std::abort();
        }
        catch (CZipException* e)
        {
            e->Delete();
        }
        if (out.GetLength() > info.m_uUncomprSize)
            std::abort();
    }
    zip.Close();
    return 0;
}
