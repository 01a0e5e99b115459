// A settings file's text as a user or another program may leave it. What is
// read must write back to a text that reads as the same tree and writes the
// same again, no deeper than a file may hold, and not much longer than what
// was read: three characters of text for a byte whose value must be written
// as hex, the worst case, plus the blank line behind each key.
#include "platform/registry/regedit_format.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using trelwin::registry::FormatRegedit;
using trelwin::registry::kMaxKeyDepth;
using trelwin::registry::ParseRegedit;
using trelwin::registry::RegeditRepeats;
using trelwin::registry::RegistryKey;

namespace {

// Compares two trees with a stack of their own; also gives the deepest key.
bool SameTree(const RegistryKey& a, const RegistryKey& b, size_t& deepest)
{
    std::vector<std::pair<std::pair<const RegistryKey*, const RegistryKey*>, size_t>> pending{{{&a, &b}, 0}};
    deepest = 0;
    while (!pending.empty())
    {
        auto [keys, depth] = pending.back();
        pending.pop_back();
        const RegistryKey& x = *keys.first;
        const RegistryKey& y = *keys.second;
        deepest = std::max(deepest, depth);
        if (x.Name() != y.Name() || x.Values().size() != y.Values().size() ||
            x.Subkeys().size() != y.Subkeys().size())
            return false;
        for (size_t i = 0; i < x.Values().size(); ++i)
        {
            const auto& v = x.Values()[i];
            const auto& w = y.Values()[i];
            if (v.name != w.name || v.type != w.type || v.data != w.data)
                return false;
        }
        for (size_t i = 0; i < x.Subkeys().size(); ++i)
            pending.push_back({{x.Subkeys()[i].get(), y.Subkeys()[i].get()}, depth + 1});
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryKey root;
    RegeditRepeats repeats;
    if (!ParseRegedit(text, "HKEY_CURRENT_USER", root, nullptr, &repeats))
        return 0;
    if (repeats.count > 0 && (repeats.firstLine < 1 || repeats.first.empty()))
        std::abort();
    const std::string written = FormatRegedit(root, "HKEY_CURRENT_USER");
    if (written.size() > 4 * size + 64)
        std::abort();
    RegistryKey back;
    if (!ParseRegedit(written, "HKEY_CURRENT_USER", back, nullptr))
        std::abort();
    size_t deepest = 0;
    if (!SameTree(root, back, deepest) || deepest > kMaxKeyDepth)
        std::abort();
    if (FormatRegedit(back, "HKEY_CURRENT_USER") != written)
        std::abort();
    return 0;
}
