#include "platform/registry/regedit_format.h"

#include <cstdio>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/registry/win_registry.h"

namespace trelwin::registry {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr size_t kHexLineWidth = 76;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses 1..maxDigits hex digits that make up all of s.
std::optional<DWORD> ParseHex(std::string_view s, size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    DWORD v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = (v << 4) | static_cast<DWORD>(d);
    }
    return v;
}

// Reads the text in one pass. Keys and values are found through hash
// indexes of the parser's own, so a file of many keys or values is read in
// time linear in its length; the subkeys are sorted once at the end.
class Parser {
public:
    Parser(std::string_view text, std::string_view rootName, RegistryKey& root, RegeditRepeats* repeats)
        : rootName_(rootName), root_(root), repeats_(repeats) {
        if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            lines_.push_back(text.substr(start, end - start));
            start = end + 1;
        }
    }

    bool Run(RegeditError* error) {
        root_.Clear();
        // Every entry has a line of its own: no index grows past this.
        subkeys_.reserve(lines_.size());
        values_.reserve(lines_.size());
        if (repeats_) *repeats_ = RegeditRepeats();
        bool ok = ParseAll();
        if (!ok && error) {
            error->line = static_cast<int>(index_ + 1);
            error->reason = reason_;
        }
        if (ok) SortAll();
        return ok;
    }

private:
    bool Fail(std::string reason) {
        reason_ = std::move(reason);
        return false;
    }

    bool ParseAll() {
        while (index_ < lines_.size() && Trim(lines_[index_]).empty()) ++index_;
        if (index_ >= lines_.size()) {
            index_ = 0;
            return Fail("the file holds no REGEDIT4 line");
        }
        if (Trim(lines_[index_]) != kHeader) return Fail("the first line is not REGEDIT4");
        for (++index_; index_ < lines_.size(); ++index_) {
            std::string_view line = Trim(lines_[index_]);
            if (line.empty() || line.front() == ';') continue;
            bool ok;
            if (line.front() == '[')
                ok = ParseSection(line);
            else if (line.front() == '"' || line.front() == '@')
                ok = ParseValue(line);
            else
                ok = Fail("a line that is neither a [key] nor a \"value\"=");
            if (!ok) return false;
        }
        return true;
    }

    // An index entry: the owning key and the folded name.
    struct Entry {
        const RegistryKey* owner;
        std::string name;
        bool operator==(const Entry& other) const { return owner == other.owner && name == other.name; }
    };
    struct EntryHash {
        size_t operator()(const Entry& e) const {
            return std::hash<std::string>()(e.name) ^ (std::hash<const void*>()(e.owner) * 0x9E3779B97F4A7C15ull);
        }
    };
    static Entry IndexKey(const RegistryKey* owner, std::string_view name) { return {owner, FoldedName(name)}; }

    // The subkey of that name, made (as implied) when missing.
    RegistryKey* Subkey(RegistryKey* parent, std::string_view name, bool& created) {
        auto [it, inserted] = subkeys_.try_emplace(IndexKey(parent, name), nullptr);
        created = inserted;
        if (inserted) {
            it->second = parent->AppendSubkey(name);
            it->second->SetImplied(true);
        }
        return it->second;
    }

    void NoteRepeat(std::string what) {
        if (!repeats_) return;
        if (repeats_->count++ == 0) {
            repeats_->firstLine = static_cast<int>(index_ + 1);
            repeats_->first = std::move(what);
        }
    }

    bool ParseSection(std::string_view line) {
        if (line.back() != ']') return Fail("a key line without its closing ]");
        const std::string_view whole = line.substr(1, line.size() - 2);
        std::string_view path = whole;
        size_t cut = path.find('\\');
        std::string_view rootPart = path.substr(0, cut);
        if (!SameName(rootPart, rootName_))
            return Fail("a key outside " + std::string(rootName_));
        RegistryKey* key = &root_;
        bool created = false;
        size_t depth = 0;
        while (cut != std::string_view::npos) {
            path.remove_prefix(cut + 1);
            cut = path.find('\\');
            std::string_view name = path.substr(0, cut);
            if (name.empty()) return Fail("an empty key name");
            if (name.size() > MAX_REG_KEY_NAME) return Fail("a key name longer than 255 characters");
            if (++depth > kMaxKeyDepth)
                return Fail("a key nested deeper than " + std::to_string(kMaxKeyDepth) + " levels");
            key = Subkey(key, name, created);
        }
        bool named;
        if (key == &root_) {
            named = rootNamed_;
            rootNamed_ = true;
        } else {
            named = !created && !key->Implied();
            key->SetImplied(false);
        }
        if (named) NoteRepeat("the key [" + std::string(whole) + "]");
        current_ = key;
        currentPath_ = whole;
        return true;
    }

    // Reads a quoted text starting at s[0] == '"'; pos ends behind the
    // closing quote.
    bool ParseQuoted(std::string_view s, size_t& pos, std::string& out) {
        out.clear();
        for (pos = 1; pos < s.size(); ++pos) {
            char c = s[pos];
            if (c == '"') {
                ++pos;
                return true;
            }
            if (c == '\\') {
                if (++pos >= s.size()) break;
                c = s[pos];
            }
            out.push_back(c);
        }
        return Fail("a text without its closing quote");
    }

    // Sets a value of the current key; a name seen before keeps its place
    // and takes the later data.
    void Store(const std::string& name, DWORD type, std::vector<BYTE> data) {
        auto [it, inserted] = values_.try_emplace(IndexKey(current_, name), current_->Values().size());
        if (inserted) {
            current_->AppendValue(name, type, std::move(data));
            return;
        }
        current_->SetValueAt(it->second, type, std::move(data));
        NoteRepeat((name.empty() ? std::string("the default value") : "the value \"" + name + "\"") + " of [" +
                   std::string(currentPath_) + "]");
    }

    bool ParseValue(std::string_view line) {
        if (!current_) return Fail("a value before the first [key]");
        std::string name;
        size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (!ParseQuoted(line, pos, name)) {
            return false;
        }
        if (name.size() > MAX_REG_VALUE_NAME) return Fail("a value name longer than 16383 characters");
        std::string_view rest = Trim(line.substr(pos));
        if (rest.empty() || rest.front() != '=') return Fail("a value name not followed by =");
        rest = Trim(rest.substr(1));

        if (!rest.empty() && rest.front() == '"') {
            std::string text;
            size_t end = 0;
            if (!ParseQuoted(rest, end, text)) return false;
            if (!Trim(rest.substr(end)).empty()) return Fail("characters after a quoted text");
            std::vector<BYTE> data(text.begin(), text.end());
            data.push_back(0);
            Store(name, REG_SZ, std::move(data));
            return true;
        }
        if (rest.substr(0, 6) == "dword:") {
            std::optional<DWORD> v = ParseHex(Trim(rest.substr(6)), 8);
            if (!v) return Fail("a dword that is not 1 to 8 hex digits");
            std::vector<BYTE> data(4);
            for (int i = 0; i < 4; ++i) data[i] = static_cast<BYTE>(*v >> (8 * i));
            Store(name, REG_DWORD, std::move(data));
            return true;
        }
        DWORD type;
        if (rest.substr(0, 4) == "hex:") {
            type = REG_BINARY;
            rest.remove_prefix(4);
        } else if (rest.substr(0, 4) == "hex(") {
            size_t close = rest.find("):");
            std::optional<DWORD> t;
            if (close != std::string_view::npos) t = ParseHex(rest.substr(4, close - 4), 8);
            if (!t) return Fail("a hex(type): with a bad type");
            type = *t;
            rest.remove_prefix(close + 2);
        } else {
            return Fail("a value that is not \"text\", dword: or hex:");
        }
        std::vector<BYTE> data;
        if (!ParseHexBytes(rest, data)) return false;
        Store(name, type, std::move(data));
        return true;
    }

    // Bytes as "01,02,..."; a line ending in a backslash continues on the
    // next line.
    bool ParseHexBytes(std::string_view first, std::vector<BYTE>& data) {
        std::string all;
        std::string_view part = Trim(first);
        while (!part.empty() && part.back() == '\\') {
            all.append(part.substr(0, part.size() - 1));
            if (index_ + 1 >= lines_.size() || Trim(lines_[index_ + 1]).empty())
                return Fail("a hex line continued by nothing");
            part = Trim(lines_[++index_]);
        }
        all.append(part);
        std::string_view s = all;
        while (!s.empty()) {
            size_t comma = s.find(',');
            std::string_view token = Trim(s.substr(0, comma));
            bool last = comma == std::string_view::npos;
            s = last ? std::string_view() : s.substr(comma + 1);
            if (token.empty() && last) break;  // a comma at the very end
            std::optional<DWORD> b = ParseHex(token, 2);
            if (!b) return Fail("a byte that is not 1 or 2 hex digits");
            data.push_back(static_cast<BYTE>(*b));
        }
        return true;
    }

    void SortAll() {
        std::vector<RegistryKey*> pending{&root_};
        while (!pending.empty()) {
            RegistryKey* key = pending.back();
            pending.pop_back();
            key->SortSubkeys();
            for (const auto& sub : key->Subkeys()) pending.push_back(sub.get());
        }
    }

    std::vector<std::string_view> lines_;
    size_t index_ = 0;
    std::string_view rootName_;
    RegistryKey& root_;
    RegeditRepeats* repeats_;
    RegistryKey* current_ = nullptr;
    std::string_view currentPath_;  // the current key's path as its line gives it
    bool rootNamed_ = false;
    std::unordered_map<Entry, RegistryKey*, EntryHash> subkeys_;
    std::unordered_map<Entry, size_t, EntryHash> values_;  // index into the owner's Values()
    std::string reason_;
};

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

// True when the data is one line of text with exactly one terminating zero.
bool IsPlainText(const std::vector<BYTE>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0 || data[i] == '\n' || data[i] == '\r') return false;
    return true;
}

void AppendValue(std::string& out, const RegistryValue& v) {
    size_t lineStart = out.size();
    if (v.name.empty())
        out.push_back('@');
    else
        AppendQuoted(out, v.name);
    out.push_back('=');
    char buf[32];
    if (v.type == REG_SZ && IsPlainText(v.data)) {
        AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        DWORD d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<DWORD>(v.data[3]) << 24);
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(d));
        out += buf;
    } else {
        if (v.type == REG_BINARY)
            out += "hex:";
        else {
            std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
            out += buf;
        }
        for (size_t i = 0; i < v.data.size(); ++i) {
            if (i > 0) {
                out.push_back(',');
                if (out.size() - lineStart + 3 > kHexLineWidth) {
                    out += "\\\n  ";
                    lineStart = out.size() - 2;
                }
            }
            std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned>(v.data[i]));
            out += buf;
        }
    }
    out.push_back('\n');
}

// A key that the file only implied, that holds no values and that its
// subkeys name again, needs no line of its own.
bool NeedsOwnLine(const RegistryKey& key) {
    return !key.Implied() || !key.Values().empty() || key.Subkeys().empty();
}

void AppendKey(std::string& out, std::string_view path, const RegistryKey& key) {
    out.push_back('[');
    out += path;
    out += "]\n";
    for (const RegistryValue& v : key.Values()) AppendValue(out, v);
    out.push_back('\n');
}

}  // namespace

bool ParseRegedit(std::string_view text, std::string_view rootName, RegistryKey& root, RegeditError* error,
                  RegeditRepeats* repeats) {
    Parser parser(text, rootName, root, repeats);
    if (parser.Run(error)) return true;
    root.Clear();
    return false;
}

std::string FormatRegedit(const RegistryKey& root, std::string_view rootName) {
    std::string out(kHeader);
    out += "\n\n";
    std::string path(rootName);
    if (!root.Values().empty()) AppendKey(out, path, root);
    // Depth first, subkeys in their order; each entry remembers how long its
    // parent's path is, so one path string serves the whole walk.
    struct Entry {
        const RegistryKey* key;
        size_t parentLength;
    };
    std::vector<Entry> pending;
    for (auto it = root.Subkeys().rbegin(); it != root.Subkeys().rend(); ++it)
        pending.push_back({it->get(), path.size()});
    while (!pending.empty()) {
        Entry entry = pending.back();
        pending.pop_back();
        path.resize(entry.parentLength);
        path.push_back('\\');
        path += entry.key->Name();
        if (NeedsOwnLine(*entry.key)) AppendKey(out, path, *entry.key);
        const size_t length = path.size();
        const auto& subkeys = entry.key->Subkeys();
        for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it) pending.push_back({it->get(), length});
    }
    return out;
}

}  // namespace trelwin::registry
