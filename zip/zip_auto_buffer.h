// CZipAutoBuffer: a byte buffer that owns its memory. Copies are deep; the
// memory goes with the buffer.
#pragma once

#include "platform/base/win_types.h"

class CZipAutoBuffer
{
public:
    CZipAutoBuffer() = default;
    explicit CZipAutoBuffer(DWORD iSize, bool bZeroMemory = false);
    CZipAutoBuffer(const CZipAutoBuffer& buffer);
    CZipAutoBuffer& operator=(const CZipAutoBuffer& buffer);
    virtual ~CZipAutoBuffer();

    // Replaces the contents with iSize bytes (zeroed when asked); a buffer
    // of the same size is kept as it is. Returns the memory.
    char* Allocate(DWORD iSize, bool bZeroMemory = false);
    void Release();
    // Replaces the contents with a copy of iSize bytes.
    void Fill(const void* pData, DWORD iSize);

    DWORD GetSize() const { return m_iSize; }
    bool IsAllocated() const { return m_pBuffer != nullptr; }
    char* GetBuffer() { return m_pBuffer; }
    const char* GetBuffer() const { return m_pBuffer; }
    operator char*() { return m_pBuffer; }
    operator const char*() const { return m_pBuffer; }

private:
    char* m_pBuffer = nullptr;
    DWORD m_iSize = 0;
};
