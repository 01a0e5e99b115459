// Reading and writing one registry root as REGEDIT4 text:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Brisel\BriselTrelwin]
//   "Text"="a \"quoted\" C:\\path"
//   @="default value"
//   "Number"=dword:0000000a
//   "Bytes"=hex:01,02,ff
//   "Other"=hex(7):61,00,00
//
// A REG_SZ is written in quotes only when it is one line of text ending in
// a single terminating zero; any other REG_SZ data (no terminator, inner
// zeros, line breaks) is written as hex(1): so that it reads back exactly.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry/registry_tree.h"

namespace trelwin::registry {

struct RegeditError {
    int line = 0;  // 1-based line of the text where reading stopped
    std::string reason;
};

// Reads text into root (which is cleared first). Sections must belong to
// rootName. On failure returns false and says where and why.
bool ParseRegedit(std::string_view text, std::string_view rootName, RegistryKey& root,
                  RegeditError* error);

std::string FormatRegedit(const RegistryKey& root, std::string_view rootName);

}  // namespace trelwin::registry
