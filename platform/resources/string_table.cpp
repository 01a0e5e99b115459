#include "platform/resources/string_table.h"

#include <cstring>
#include <map>
#include <mutex>
#include <shared_mutex>

#include "platform/base/cstring.h"
#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/resources/program_module.h"

namespace trelwin {

namespace {

class StringTable {
public:
    bool Add(UINT id, LPCSTR text)
    {
        if (text == nullptr)
            return false;
        std::unique_lock lock(mutex_);
        return texts_.try_emplace(id, text).second;
    }

    LPCSTR Find(UINT id) const
    {
        std::shared_lock lock(mutex_);
        auto it = texts_.find(id);
        return it == texts_.end() ? nullptr : it->second;
    }

private:
    mutable std::shared_mutex mutex_;
    std::map<UINT, LPCSTR> texts_;
};

StringTable& TheTable()
{
    static StringTable* table = new StringTable;
    return *table;
}

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Copies at most cch - 1 bytes and a terminator; when the text does not fit
// and splitBytes is false, the cut moves back to the start of the UTF-8
// sequence it would split.
int CopyText(LPCSTR text, LPSTR buffer, int cch, bool splitBytes)
{
    size_t length = std::strlen(text);
    size_t room = static_cast<size_t>(cch) - 1;
    size_t n = length;
    if (n > room) {
        n = room;
        if (!splitBytes) {
            while (n > 0 && IsContinuationByte(text[n]))
                --n;
        }
    }
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

int LoadText(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax, bool splitBytes)
{
    if (lpBuffer == nullptr || cchBufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    lpBuffer[0] = '\0';
    if (!IsProgramModule(hInstance)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    LPCSTR text = uID <= 0xFFFF ? TheTable().Find(uID) : nullptr;
    if (text == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    return CopyText(text, lpBuffer, cchBufferMax, splitBytes);
}

// CString::LoadString grows its buffer until the count returned shows that
// the text fitted, so it needs the byte-exact count of a plain cut.
int LoadTextForCString(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax)
{
    return LoadText(hInstance, uID, lpBuffer, cchBufferMax, true);
}

// The string table's file is linked whenever a table registers texts, so the
// string class gets its reader whenever there is something to read.
const bool kCStringReaderSet = (SetStringTableLookup(&LoadTextForCString), true);

}  // namespace

bool RegisterString(UINT id, LPCSTR text)
{
    if (id > 0xFFFF)
        return false;
    return TheTable().Add(id, text);
}

LPCSTR LookupString(UINT id)
{
    return TheTable().Find(id);
}

}  // namespace trelwin

int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax)
{
    return trelwin::LoadText(hInstance, uID, lpBuffer, cchBufferMax, false);
}
