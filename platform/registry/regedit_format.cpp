#include "platform/registry/regedit_format.h"

#include <cstdio>
#include <optional>
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

class Parser {
public:
    Parser(std::string_view text, std::string_view rootName, RegistryKey& root)
        : rootName_(rootName), root_(root) {
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
        bool ok = ParseAll();
        if (!ok && error) {
            error->line = static_cast<int>(index_ + 1);
            error->reason = reason_;
        }
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

    bool ParseSection(std::string_view line) {
        if (line.back() != ']') return Fail("a key line without its closing ]");
        std::string_view path = line.substr(1, line.size() - 2);
        size_t cut = path.find('\\');
        std::string_view rootPart = path.substr(0, cut);
        if (!SameName(rootPart, rootName_))
            return Fail("a key outside " + std::string(rootName_));
        RegistryKey* key = &root_;
        while (cut != std::string_view::npos) {
            path.remove_prefix(cut + 1);
            cut = path.find('\\');
            std::string_view name = path.substr(0, cut);
            if (name.empty()) return Fail("an empty key name");
            if (name.size() > MAX_REG_KEY_NAME) return Fail("a key name longer than 255 characters");
            key = key->AddSubkey(name);
        }
        current_ = key;
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
            current_->SetValue(name, REG_SZ, std::move(data));
            return true;
        }
        if (rest.substr(0, 6) == "dword:") {
            std::optional<DWORD> v = ParseHex(Trim(rest.substr(6)), 8);
            if (!v) return Fail("a dword that is not 1 to 8 hex digits");
            std::vector<BYTE> data(4);
            for (int i = 0; i < 4; ++i) data[i] = static_cast<BYTE>(*v >> (8 * i));
            current_->SetValue(name, REG_DWORD, std::move(data));
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
        current_->SetValue(name, type, std::move(data));
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

    std::vector<std::string_view> lines_;
    size_t index_ = 0;
    std::string_view rootName_;
    RegistryKey& root_;
    RegistryKey* current_ = nullptr;
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

void AppendKey(std::string& out, const RegistryKey& key, std::string& path) {
    out.push_back('[');
    out += path;
    out += "]\n";
    for (const RegistryValue& v : key.Values()) AppendValue(out, v);
    out.push_back('\n');
    for (const auto& sub : key.Subkeys()) {
        size_t size = path.size();
        path.push_back('\\');
        path += sub->Name();
        AppendKey(out, *sub, path);
        path.resize(size);
    }
}

}  // namespace

bool ParseRegedit(std::string_view text, std::string_view rootName, RegistryKey& root,
                  RegeditError* error) {
    Parser parser(text, rootName, root);
    if (parser.Run(error)) return true;
    root.Clear();
    return false;
}

std::string FormatRegedit(const RegistryKey& root, std::string_view rootName) {
    std::string out(kHeader);
    out += "\n\n";
    std::string path(rootName);
    if (!root.Values().empty()) {
        AppendKey(out, root, path);
        return out;
    }
    for (const auto& sub : root.Subkeys()) {
        path = std::string(rootName) + "\\" + sub->Name();
        AppendKey(out, *sub, path);
    }
    return out;
}

}  // namespace trelwin::registry
