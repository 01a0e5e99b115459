// The program's string table: texts by 16-bit string id, registered at
// start-up by resources/strings.cpp.
//
// Texts are UTF-8 (plain ASCII for most of them); the drawing layer shows
// valid UTF-8 as such. LoadStringA counts in bytes and, when it has to cut a
// text short, never splits a UTF-8 sequence, so a truncated text stays valid.
#pragma once

#include "platform/base/win_types.h"

namespace trelwin {

// Adds a text. Returns false, and keeps the text already there, when the id
// is taken or the text is null. The text must stay valid for the process.
bool RegisterString(UINT id, LPCSTR text);

// The text of a string id, or nullptr when the table has none.
LPCSTR LookupString(UINT id);

// Registers the texts of a table from a static initialiser.
struct StringTableEntry {
    UINT id;
    LPCSTR text;
};

class StringTableRegistration {
public:
    template <size_t N>
    explicit StringTableRegistration(const StringTableEntry (&entries)[N])
    {
        for (const StringTableEntry& e : entries)
            RegisterString(e.id, e.text);
    }
};

}  // namespace trelwin

// Copies the text of string uID into lpBuffer: at most cchBufferMax - 1
// bytes and a terminator. Returns the number of bytes copied, 0 when the
// string does not exist (the buffer then holds an empty string) or when
// there is no room. hInstance is the program's module or NULL.
int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);
