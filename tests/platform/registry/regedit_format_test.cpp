#include "platform/registry/regedit_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry/win_registry.h"

using trelwin::registry::FormatRegedit;
using trelwin::registry::ParseRegedit;
using trelwin::registry::RegeditError;
using trelwin::registry::RegistryKey;

namespace {

std::vector<BYTE> Bytes(const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); }
std::vector<BYTE> Text(const std::string& s) {
    std::vector<BYTE> b = Bytes(s);
    b.push_back(0);
    return b;
}

void ExpectSameTree(const RegistryKey& a, const RegistryKey& b, const std::string& where = "root") {
    ASSERT_EQ(a.Name(), b.Name()) << where;
    ASSERT_EQ(a.Values().size(), b.Values().size()) << where;
    for (size_t i = 0; i < a.Values().size(); ++i) {
        EXPECT_EQ(a.Values()[i].name, b.Values()[i].name) << where;
        EXPECT_EQ(a.Values()[i].type, b.Values()[i].type) << where << " " << a.Values()[i].name;
        EXPECT_EQ(a.Values()[i].data, b.Values()[i].data) << where << " " << a.Values()[i].name;
    }
    ASSERT_EQ(a.Subkeys().size(), b.Subkeys().size()) << where;
    for (size_t i = 0; i < a.Subkeys().size(); ++i)
        ExpectSameTree(*a.Subkeys()[i], *b.Subkeys()[i], where + "\\" + a.Subkeys()[i]->Name());
}

RegistryKey RoundTrip(const RegistryKey& tree) {
    RegistryKey back;
    RegeditError error;
    std::string text = FormatRegedit(tree, "HKEY_CURRENT_USER");
    EXPECT_TRUE(ParseRegedit(text, "HKEY_CURRENT_USER", back, &error))
        << "line " << error.line << ": " << error.reason << "\n" << text;
    return back;
}

RegeditError ParseError(const std::string& text) {
    RegistryKey root;
    RegeditError error;
    EXPECT_FALSE(ParseRegedit(text, "HKEY_CURRENT_USER", root, &error)) << text;
    EXPECT_TRUE(root.Values().empty() && root.Subkeys().empty());
    return error;
}

}  // namespace

TEST(RegeditFormat, WritesTheExportLayout) {
    RegistryKey root;
    RegistryKey* key = root.AddSubkey("Software")->AddSubkey("Brisel");
    key->SetValue("", REG_SZ, Text("default"));
    key->SetValue("Path", REG_SZ, Text("C:\\dir \"x\""));
    key->SetValue("Count", REG_DWORD, {10, 0, 0, 0});
    key->SetValue("Raw", REG_BINARY, {1, 2, 0xff});
    key->SetValue("List", REG_MULTI_SZ, {'a', 0, 0});
    EXPECT_EQ(FormatRegedit(root, "HKEY_CURRENT_USER"),
              "REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Brisel]\n"
              "@=\"default\"\n"
              "\"Path\"=\"C:\\\\dir \\\"x\\\"\"\n"
              "\"Count\"=dword:0000000a\n"
              "\"Raw\"=hex:01,02,ff\n"
              "\"List\"=hex(7):61,00,00\n"
              "\n");
}

TEST(RegeditFormat, EveryKindOfDataReadsBackExactly) {
    RegistryKey root;
    RegistryKey* key = root.AddSubkey("K");
    std::string high;
    for (int c = 0x80; c <= 0xff; ++c) high.push_back(static_cast<char>(c));
    std::vector<BYTE> large(100000);
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<BYTE>(i * 7);
    key->SetValue("plain", REG_SZ, Text("hello"));
    key->SetValue("quotes", REG_SZ, Text("a\"b\\c\\\\\"\""));
    key->SetValue("newline", REG_SZ, Text("line 1\nline 2\r\n"));
    key->SetValue("high", REG_SZ, Text(high));
    key->SetValue("no terminator", REG_SZ, Bytes("abc"));
    key->SetValue("inner zero", REG_SZ, Bytes(std::string("a\0b\0", 4)));
    key->SetValue("empty text", REG_SZ, Text(""));
    key->SetValue("no data", REG_SZ, {});
    key->SetValue("", REG_SZ, Text("the default"));
    key->SetValue("@", REG_SZ, Text("named at"));
    key->SetValue("name \"with\" \\ quotes", REG_DWORD, {1, 2, 3, 4});
    key->SetValue("short dword", REG_DWORD, {1, 2, 3});
    key->SetValue("empty binary", REG_BINARY, {});
    key->SetValue("large binary", REG_BINARY, large);
    key->SetValue("qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    key->SetValue("expand", REG_EXPAND_SZ, Text("%HOME%"));
    key->SetValue("none", REG_NONE, {});
    key->SetValue("big type", 0x12345678u, {9});
    ExpectSameTree(root, RoundTrip(root));
}

TEST(RegeditFormat, LongHexDataIsWrappedIntoShortLines) {
    RegistryKey root;
    root.AddSubkey("K")->SetValue("b", REG_BINARY, std::vector<BYTE>(1000, 0xab));
    std::string text = FormatRegedit(root, "HKEY_CURRENT_USER");
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        EXPECT_LE(end - start, 80u);
        start = end + 1;
    }
}

TEST(RegeditFormat, KeysSortWithoutRegardToCaseAndValuesKeepTheirOrder) {
    RegistryKey root;
    for (const char* name : {"b", "_x", "A", "a1", "B2"}) root.AddSubkey(name);
    std::vector<std::string> names;
    for (const auto& k : root.Subkeys()) names.push_back(k->Name());
    // Letters fold to upper case, so '_' (after 'Z') sorts behind them.
    EXPECT_EQ(names, (std::vector<std::string>{"A", "a1", "b", "B2", "_x"}));

    RegistryKey* key = root.AddSubkey("A");
    for (const char* name : {"zeta", "alpha", "Mid"}) key->SetValue(name, REG_SZ, Text(name));
    key->SetValue("ALPHA", REG_SZ, Text("again"));  // same value, keeps its place and its name
    RegistryKey back = RoundTrip(root);
    ExpectSameTree(root, back);
    ASSERT_EQ(back.FindSubkey("a")->Values().size(), 3u);
    EXPECT_EQ(back.FindSubkey("a")->Values()[1].name, "alpha");
}

TEST(RegeditFormat, ReadsHandWrittenFiles) {
    std::string text =
        "\xEF\xBB\xBFREGEDIT4\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_CURRENT_USER\\A\\B]\r\n"
        "\"s\" = \"x\"\r\n"
        "\"bin\"=hex:01, 02,\\\r\n"
        "    03\r\n"
        "\"d\"=dword:FF\r\n"
        "\n"
        "[hkey_current_user\\a]\n"
        "@=\"top\"\n"
        "[HKEY_CURRENT_USER\\a\\b]\n"
        "\"S\"=\"y\"\n";
    RegistryKey root;
    RegeditError error;
    ASSERT_TRUE(ParseRegedit(text, "HKEY_CURRENT_USER", root, &error)) << error.line << " " << error.reason;
    RegistryKey* a = root.FindSubkey("A");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Name(), "A");
    EXPECT_EQ(a->FindValue("")->data, Text("top"));
    RegistryKey* b = a->FindSubkey("B");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Values().size(), 3u);
    EXPECT_EQ(b->FindValue("s")->data, Text("y"));
    EXPECT_EQ(b->FindValue("bin")->data, (std::vector<BYTE>{1, 2, 3}));
    EXPECT_EQ(b->FindValue("d")->data, (std::vector<BYTE>{0xff, 0, 0, 0}));
}

TEST(RegeditFormat, EmptyRootHasOnlyTheHeader) {
    RegistryKey root;
    EXPECT_EQ(FormatRegedit(root, "HKEY_LOCAL_MACHINE"), "REGEDIT4\n\n");
    RegistryKey back;
    EXPECT_TRUE(ParseRegedit("REGEDIT4\n\n", "HKEY_LOCAL_MACHINE", back, nullptr));
}

TEST(RegeditFormat, RejectsMalformedTextWithTheLine) {
    struct Case {
        const char* text;
        int line;
    } cases[] = {
        {"", 1},
        {"Windows Registry Editor\n", 1},
        {"REGEDIT4\n\n\"v\"=\"x\"\n", 3},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n", 2},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A\n", 2},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\B]\n", 2},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"open\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\" junk\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:123456789\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:xyz\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,0g\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,,02\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex(zz):01\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,\\\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=str\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\" \"x\"\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\nv=\"x\"\n", 3},
    };
    for (const Case& c : cases) {
        RegeditError error = ParseError(c.text);
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_FALSE(error.reason.empty());
    }
}

// A hand-made file that names only its deepest keys is written back with
// the same lines (plus what changed), not with a line for every key above
// them; keys named by a line of their own keep it.
TEST(RegeditFormat, KeysNamedOnlyWithinADeeperPathStayUnwritten) {
    const std::string text =
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\a\\b\\c]\n"
        "\"v\"=\"1\"\n\n"
        "[HKEY_CURRENT_USER\\x]\n\n"
        "[HKEY_CURRENT_USER\\x\\y\\z]\n\n";
    RegistryKey root;
    RegeditError error;
    ASSERT_TRUE(ParseRegedit(text, "HKEY_CURRENT_USER", root, &error)) << error.reason;
    EXPECT_EQ(FormatRegedit(root, "HKEY_CURRENT_USER"), text);

    // A value on an implied key gives it a line; a key left without the
    // subkeys that implied it keeps one, so it is not lost.
    root.FindSubkey("a")->SetValue("w", REG_SZ, Text("2"));
    root.FindSubkey("x")->FindSubkey("y")->RemoveSubkey("z");
    EXPECT_EQ(FormatRegedit(root, "HKEY_CURRENT_USER"),
              "REGEDIT4\n\n"
              "[HKEY_CURRENT_USER\\a]\n"
              "\"w\"=\"2\"\n\n"
              "[HKEY_CURRENT_USER\\a\\b\\c]\n"
              "\"v\"=\"1\"\n\n"
              "[HKEY_CURRENT_USER\\x]\n\n"
              "[HKEY_CURRENT_USER\\x\\y]\n\n");
}

// A tree far deeper than a file may hold (made directly, as no file or call
// can) is written and freed with stacks of its own: recursion this deep
// would overflow the thread's stack.
TEST(RegeditFormat, AMillionLevelsAreWrittenAndFreedWithoutRecursion) {
    const int levels = 1000000;
    {
        RegistryKey root;
        RegistryKey* key = &root;
        for (int i = 0; i < levels; ++i) {
            key = key->AddSubkey("k");
            key->SetImplied(true);
        }
        key->SetImplied(false);
        const std::string text = FormatRegedit(root, "HKEY_CURRENT_USER");
        EXPECT_EQ(text.size(), std::string("REGEDIT4\n\n[HKEY_CURRENT_USER]\n\n").size() + 2u * levels);
        RegistryKey other;
        other.AddSubkey("x");
        other = std::move(root);  // frees the small tree, takes the deep one
        EXPECT_EQ(other.Subkeys().size(), 1u);
    }
    SUCCEED() << "freed";
}
