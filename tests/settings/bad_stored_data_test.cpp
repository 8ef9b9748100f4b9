// Damaged or hostile settings: values of the wrong type or size, absurd indexes, huge lists and INI
// files with many sections. Reads give the stored text or the default, and start-up stays quick.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>

#include "app/resource.h"
#include "form/prodle_view.h"
#include "settings/profile_store.h"
#include "support/form.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

class BadStoredData : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveBaseKey();
        RemoveIniFile();
        HKEY key = nullptr;
        DWORD disposition = 0;
        m_store.Create(&key, &disposition, HKEY_LOCAL_MACHINE, kBaseKey);
        if (key)
            ::RegCloseKey(key);
    }
    void TearDown() override
    {
        App().Stop();
        RemoveIniFile();
    }

    // Milliseconds that the whole program's start-up takes.
    static double TimedStart()
    {
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_TRUE(App().Start());
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    }

    CProfileStore m_store;
};

TEST_F(BadStoredData, ValuesThatAreNotTextReadAsMissing)
{
    WriteRawValue(kSettingsKey, "Number", REG_DWORD, std::string("\x19\0\0\0", 4));
    WriteRawValue(kSettingsKey, "Binary", REG_BINARY, std::string("\x37\xff\x00\x41", 4));
    WriteRawValue(kSettingsKey, "Multi", REG_MULTI_SZ, std::string("12\0b\0\0", 6));
    for (const char* name : {"Number", "Binary", "Multi"}) {
        EXPECT_EQ(m_store.GetProfileString("Settings", name, "default"), "default") << name;
        EXPECT_EQ(m_store.GetProfileInt("Settings", name, -7), -7) << name;
    }
}

TEST_F(BadStoredData, TextWithoutItsZeroAndTextAtTheSizeLimit)
{
    WriteRawValue(kSettingsKey, "Unterminated", REG_SZ, "alpha");
    EXPECT_EQ(m_store.GetProfileString("Settings", "Unterminated", "x"), "alpha");

    for (size_t length : {259u, 260u, 261u}) {
        const std::string text(length, 'h');
        WriteRawValue(kSettingsKey, "Exact", REG_SZ, text);  // stored without a terminating zero
        const CString read = m_store.GetProfileString("Settings", "Exact", "default");
        const auto stored = ReadValue(kSettingsKey, "Exact");
        ASSERT_TRUE(stored);
        if (stored->data.size() <= CProfileStore::kReadLimit)
            EXPECT_EQ(read, text) << length;
        else
            EXPECT_EQ(read, "default") << length << " bytes stored as " << stored->data.size();
    }

    WriteRawValue(kSettingsKey, "Huge", REG_SZ, std::string(64 * 1024, 'z') + '\0');
    EXPECT_EQ(m_store.GetProfileString("Settings", "Huge", "default"), "default");
    EXPECT_EQ(m_store.GetProfileInt("Settings", "Huge", 3), 3);
}

// The stored index selects its entry; one beyond the list the first entry, a negative one none (the host
// box is then empty, and so is the host of the later prodles).
TEST_F(BadStoredData, StoredSelectionIndexesOrdinaryAndAbsurd)
{
    SetSetting("AutoStart", "0");
    SetSetting("ComboName0", "alpha");
    SetSetting("ComboName1", "beta");
    const struct {
        const char* stored;
        int selection;
    } cases[] = {{"1", 1},  {"2", 0},          {"-1", -1},          {"99999999999999", 0},
                 {"zz", 0}, {"2147483647", 0}, {"-2147483648", -1}, {"-99999999999", -1}};
    for (const auto& c : cases) {
        SetSetting("ComboNameSel", c.stored);
        ASSERT_TRUE(App().Start());
        EXPECT_EQ(ComboSelection(App().Form(), IDC_COMBO_HOSTS), c.selection) << c.stored;
        const char* host = c.selection < 0 ? "" : c.selection == 0 ? "alpha" : "beta";
        EXPECT_EQ(ControlText(App().Form(), IDC_COMBO_HOSTS), host) << c.stored;
        EXPECT_EQ(App().View()->Engine()->CurrentHost(), host) << c.stored;
        App().Stop();
    }
}

TEST_F(BadStoredData, FiveHundredHostsLoadAndStartUpStaysQuick)
{
    SetSetting("AutoStart", "0");
    SetSetting("ComboName0", "alpha");
    const double plain = TimedStart();
    App().Stop();

    for (int i = 0; i < 500; ++i)
        SetSetting(("ComboName" + std::to_string(i)).c_str(), (i % 2 ? "   " : "  host") + std::to_string(i));
    SetSetting("ComboNameSel", "499");
    const double loaded = TimedStart();
    EXPECT_EQ(static_cast<int>(ComboEntries(App().Form(), IDC_COMBO_HOSTS).size()), 500);
    EXPECT_EQ(ComboSelection(App().Form(), IDC_COMBO_HOSTS), 499);
    EXPECT_EQ(App().View()->Engine()->CurrentHost(), "   499") << "spaces are kept as stored";
    std::cout << "start-up: " << plain << " ms with one host, " << loaded << " ms with 500\n";
    EXPECT_LT(loaded, plain + 2000);
}

TEST_F(BadStoredData, TwoThousandSectionsImportInReasonableTime)
{
    std::string content;
    for (int i = 0; i < 2000; ++i)
        content += "[Section" + std::to_string(i) + "]\nValue=" + std::to_string(i) + "\n";
    content += "[Settings]\nOften=9\nAutoStart=0\n";
    WriteIniFile(content);
    RemoveBaseKey();  // the import runs only when the base key is new
    const double ms = TimedStart();
    EXPECT_EQ(ControlText(App().Form(), IDC_EDIT_OFTEN), "9");
    EXPECT_EQ(m_store.GetProfileString("Section1999", "Value", ""), "1999");
    std::cout << "start-up importing 2,000 sections: " << ms << " ms\n";
    EXPECT_LT(ms, 20000);
}

}  // namespace
