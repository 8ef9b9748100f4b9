// The one-time import of the legacy INI file into the real registry.
#include <gtest/gtest.h>

#include <string>

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

TEST_F(IniImportTest, SectionsBecomeKeysAndLinesTextValues)
{
    Import("[Settings]\r\nOften=1\r\nComboName0=alpha\r\n[Other]\r\nx=1\r\n[Settings]\r\nOften=10\r\n");
    EXPECT_EQ(Text("Settings", "Often"), "10");  // the section reopened, the later value kept
    EXPECT_EQ(Text("Settings", "ComboName0"), "alpha");
    EXPECT_EQ(Contents(KeyPath("Settings")), std::make_pair(0ul, 2ul));
    EXPECT_EQ(Text("Other", "x"), "1");
    EXPECT_EQ(Text("Other", "Often"), "<missing>");
    EXPECT_EQ(store.GetProfileInt("Settings", "Often", 25), 10);
    // The file is only read.
    EXPECT_NE(::GetFileAttributesA(IniFilePath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(IniImportTest, NamesAndTextsAreSplitAtTheFirstEqualsSign)
{
    Import("[ Settings ]\n"
           "Often = 10\n"
           "a=b=c\n"
           ";note=1\n"
           "=x\n"
           "[a]b]\n"
           "  Ignore=1 \t\n"
           "no equals sign\n"
           "\n"
           "Last=end");                        // no newline at the end of the file
    EXPECT_EQ(Contents(kBaseKey).first, 1ul);  // "[a]b]" opened no section
    EXPECT_EQ(Text("Settings", "Often "), " 10");
    EXPECT_EQ(Text("Settings", "Often"), "<missing>");
    EXPECT_EQ(Text("Settings", "a"), "b=c");
    EXPECT_EQ(Text("Settings", ";note"), "1");
    EXPECT_EQ(Text("Settings", ""), "x");  // the key's unnamed value
    EXPECT_EQ(Text("Settings", "Ignore"), "1");
    EXPECT_EQ(Text("Settings", "Last"), "end");
    EXPECT_EQ(Contents(KeyPath("Settings")).second, 6ul);
}

TEST_F(IniImportTest, NothingIsStoredOutsideASection)
{
    RunImport();  // no file
    EXPECT_EQ(Contents(kBaseKey), std::make_pair(0ul, 0ul));
    Import("Often=3\r\nx=y\r\n");
    EXPECT_EQ(Contents(kBaseKey), std::make_pair(0ul, 0ul));

    RemoveBaseKey();
    Import("Often=3\r\n[Settings]\r\nIgnore=1\r\n");
    EXPECT_EQ(Contents(kBaseKey), std::make_pair(1ul, 0ul));
    EXPECT_EQ(Text("Settings", "Often"), "<missing>");
    EXPECT_EQ(Text("Settings", "Ignore"), "1");
}

TEST_F(IniImportTest, LongLineIsReadInPiecesOf519Characters)
{
    const std::string first = "a=" + std::string(517, 'x');
    const std::string second = "b=" + std::string(79, 'y');
    ASSERT_EQ((first + second).size(), 600u);
    Import("[Settings]\r\n" + first + second + "\r\n");
    EXPECT_EQ(Text("Settings", "a"), std::string(517, 'x'));
    EXPECT_EQ(Text("Settings", "b"), std::string(79, 'y'));
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
