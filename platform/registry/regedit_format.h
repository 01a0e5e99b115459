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
//
// Reading and writing take time linear in the text's length. A key that the
// text names only within a deeper key's path is written back the same way
// (see RegistryKey::Implied), so that writing does not multiply a file of
// deep paths by their depth.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry/registry_tree.h"

namespace trelwin::registry {

struct RegeditError {
    int line = 0;  // 1-based line of the text where reading stopped
    std::string reason;
};

// A key named by two [key] lines, or a value named twice in one key. The
// later value wins; two lines of one key add up to one key.
struct RegeditRepeats {
    int count = 0;
    int firstLine = 0;  // 1-based line of the first repeat
    std::string first;  // what it repeats, as "the value \"v\" of [path]"
};

// Reads text into root (which is cleared first). Sections must belong to
// rootName, and keys lie at most kMaxKeyDepth levels deep. On failure
// returns false and says where and why; repeats, when given, counts the
// names given twice.
bool ParseRegedit(std::string_view text, std::string_view rootName, RegistryKey& root, RegeditError* error,
                  RegeditRepeats* repeats = nullptr);

std::string FormatRegedit(const RegistryKey& root, std::string_view rootName);

}  // namespace trelwin::registry
