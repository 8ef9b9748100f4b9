// The one-time import of the legacy INI file into the real registry, from ordinary files to junk.
#include <gtest/gtest.h>

#include <optional>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "settings/profile_store.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

std::string KeyPath(const std::string& section)
{
    return std::string(kBaseKey) + "\\" + section;
}

// A value's text without its terminating zero, after checking that it is REG_SZ with that zero.
std::string Text(const std::string& section, const char* name)
{
    const auto value = ReadValue(KeyPath(section).c_str(), name);
    if (!value)
        return "<missing>";
    if (value->type != REG_SZ || value->data.empty() || value->data.back() != '\0')
        return "<not zero-terminated text>";
    return value->data.substr(0, value->data.size() - 1);
}

// How many subkeys and values a key below the base key (or the base key itself) holds.
std::pair<DWORD, DWORD> Contents(const std::string& path)
{
    HKEY key = nullptr;
    DWORD subkeys = 0, values = 0;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {~0u, ~0u};
    ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
    ::RegCloseKey(key);
    return {subkeys, values};
}

class IniImportTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(App().m_strAppName, "Prodle");
        RemoveBaseKey();
        RemoveIniFile();
    }
    void TearDown() override
    {
        RemoveBaseKey();
        RemoveIniFile();
    }

    // Imports `content` as the program does at its first start: into the base key that Create made.
    void Import(const std::string& content)
    {
        WriteIniFile(content);
        RunImport();
    }
    void RunImport()
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        ASSERT_TRUE(store.Create(&key, &disposition, HKEY_LOCAL_MACHINE, kBaseKey));
        store.ImportIniFile(key);
        ::RegCloseKey(key);
    }

    CProfileStore store;
};

// Every byte value, in an order that reads as nothing.
std::string BinaryJunk()
{
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    return junk;
}

// An INI file (none: nullopt) imported into an empty base key: the keys it leaves below the base key
// ("": the base key) with their numbers of subkeys and values, text values it stores ("<missing>":
// none), and what "Settings\Often" holds. A line is taken up to a NUL byte, the last line needs no
// newline, a carriage return alone ends no line, and a long line arrives in pieces of 519 characters.
struct ImportCase {
    const char* name;
    std::optional<std::string> file;
    std::vector<std::tuple<std::string, DWORD, DWORD>> keys;
    std::vector<std::tuple<std::string, std::string, std::string>> values;
    const char* often;
};

// clang-format off
const ImportCase kImportCases[] = {
    {"SectionsBecomeKeysAndLinesTextValues",
     "[Settings]\r\nOften=1\r\nComboName0=alpha\r\n[Other]\r\nx=1\r\n[Settings]\r\nOften=10\r\n",
     {{"", 2, 0}, {"Settings", 0, 2}, {"Other", 0, 1}},
     {{"Settings", "ComboName0", "alpha"}, {"Other", "x", "1"}, {"Other", "Often", "<missing>"}},
     "10"},  // the section reopened, the later value kept
    {"NamesAndTextsAreSplitAtTheFirstEqualsSign",
     "[ Settings ]\nOften = 10\na=b=c\n;note=1\n=x\n[a]b]\n  Ignore=1 \t\nno equals sign\n\nLast=end",
     {{"", 1, 0}, {"Settings", 0, 6}},  // "[a]b]" opens no section
     {{"Settings", "Often ", " 10"}, {"Settings", "a", "b=c"}, {"Settings", ";note", "1"},
      {"Settings", "", "x"} /* the key's unnamed value */, {"Settings", "Ignore", "1"}, {"Settings", "Last", "end"}},
     "<missing>"},
    {"NoFileStoresNothing", std::nullopt, {{"", 0, 0}}, {}, "<missing>"},
    {"NothingIsStoredOutsideASection", "Often=3\r\nx=y\r\n", {{"", 0, 0}}, {}, "<missing>"},
    {"LinesBeforeTheFirstSectionAreLeftOut", "Often=3\r\n[Settings]\r\nIgnore=1\r\n",
     {{"", 1, 0}, {"Settings", 0, 1}}, {{"Settings", "Ignore", "1"}}, "<missing>"},
    {"LongLineIsReadInPiecesOf519Characters",  // one line of 2 + 517 + 2 + 79 = 600 characters
     "[Settings]\r\na=" + std::string(517, 'x') + "b=" + std::string(79, 'y') + "\r\n",
     {{"", 1, 0}, {"Settings", 0, 2}},
     {{"Settings", "a", std::string(517, 'x')}, {"Settings", "b", std::string(79, 'y')}}, "<missing>"},
    {"NulBytes", std::string("[Settings]\nOften=3\0junk\n[Other\0]\nA=\0B\n", 36), {}, {}, "3"},
    {"NoFinalNewline", "[Settings]\nOften=4", {}, {}, "4"},
    {"CarriageReturnsOnly", "[Settings]\rOften=5\rComboName0=alpha\r", {}, {}, "<missing>"},  // one line
    {"LinesOfTenThousandCharacters",
     "[Settings]\n" + std::string(10000, 'x') + "=y\nOften=6\n" + std::string(10000, '['), {}, {}, "6"},
    {"BinaryJunk", BinaryJunk(), {}, {}, "<missing>"},
};
// clang-format on

TEST_F(IniImportTest, EachFileStoresWhatItsLinesHold)
{
    for (const ImportCase& c : kImportCases) {
        SCOPED_TRACE(c.name);
        RemoveBaseKey();
        RemoveIniFile();
        if (c.file)
            Import(*c.file);
        else
            RunImport();
        for (const auto& [key, subkeys, values] : c.keys)
            EXPECT_EQ(Contents(key.empty() ? kBaseKey : KeyPath(key)), std::make_pair(subkeys, values))
                << key;
        for (const auto& [key, name, text] : c.values)
            EXPECT_EQ(Text(key, name.c_str()), text) << key << "\\" << name;
        EXPECT_EQ(Text("Settings", "Often"), c.often);
        EXPECT_EQ(store.GetProfileInt("Settings", "Often", 25),
                  std::string(c.often) == "<missing>" ? 25 : std::atoi(c.often));
        // The file is only read.
        if (c.file) {
            EXPECT_NE(::GetFileAttributesA(IniFilePath().c_str()), INVALID_FILE_ATTRIBUTES);
        }
    }
}

TEST_F(IniImportTest, SectionThatCannotBeCreatedEndsTheImport)
{
    // The registry refuses a key name with a leading backslash.
    HKEY parent = nullptr, bad = nullptr;
    ASSERT_EQ(
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kBaseKey, 0, nullptr, 0, KEY_WRITE, nullptr, &parent, nullptr),
        ERROR_SUCCESS);
    const LONG refused = ::RegCreateKeyExA(parent, "\\Bad", 0, nullptr, 0, KEY_WRITE, nullptr, &bad, nullptr);
    ::RegCloseKey(parent);
    ASSERT_NE(refused, ERROR_SUCCESS);
    RemoveBaseKey();

    Import("[Settings]\nOften=10\n[\\Bad]\nIgnore=1\n[Later]\nx=1\n");
    EXPECT_EQ(Text("Settings", "Often"), "10");
    EXPECT_EQ(Text("Settings", "Ignore"), "<missing>");
    EXPECT_EQ(Contents(kBaseKey), std::make_pair(1ul, 0ul));
    EXPECT_FALSE(KeyExists(KeyPath("Later").c_str()));
}

}  // namespace
