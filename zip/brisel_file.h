// CBriselFile: the archive holder of a drawing map. Every map owns one; it
// makes one closed archive object with the map and destroys it with the map.
// Nothing opens the archive, so holding it opens and creates no file.
#pragma once

#include "platform/base/cstring.h"
#include "zip/zip_archive.h"

class CBriselFile
{
public:
    CBriselFile();
    virtual ~CBriselFile();

    CZipArchive& GetArchive() { return m_zip; }
    const CZipArchive& GetArchive() const { return m_zip; }

private:
    CZipArchive m_zip;
    CString m_strFileName;
};
