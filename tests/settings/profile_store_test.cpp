// The settings store against the real registry: what it stores, what it reads back, what it leaves alone.
#include <gtest/gtest.h>

#include <string>

#include "settings/profile_store.h"
#include "support/registry.h"

namespace {

const std::string kSection = std::string(kBaseKey) + "\\Settings";

std::string Sz(const std::string& text)
{
    return text + '\0';
}

// The exact bytes stored, or a marker when the value is missing.
std::string Raw(const std::string& key, const char* name)
{
    const auto value = ReadValue(key.c_str(), name);
    return value ? value->data : "<missing>";
}

class ProfileStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveBaseKey();
        ASSERT_EQ(store.GetBaseKey(), "");  // fresh store
        DWORD disposition = 0;
        ASSERT_TRUE(PointAt(HKEY_LOCAL_MACHINE, kBaseKey, &disposition));
        ASSERT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
        ASSERT_EQ(store.GetBaseKey(), kBaseKey);
    }
    void TearDown() override { RemoveBaseKey(); }

    bool PointAt(HKEY root, const char* path, DWORD* disposition = nullptr)
    {
        HKEY key = nullptr;
        DWORD made = 0;
        const bool created = store.Create(&key, &made, root, path);
        if (created)
            ::RegCloseKey(key);
        if (disposition)
            *disposition = made;
        return created;
    }

    CProfileStore store;
};

TEST_F(ProfileStoreTest, CreateOpensAnExistingKeyAndAFailedOneStillRepointsTheStore)
{
    ASSERT_TRUE(store.WriteProfileString("Settings", "Often", "12"));
    DWORD disposition = 0;
    EXPECT_TRUE(PointAt(HKEY_LOCAL_MACHINE, kBaseKey, &disposition));
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(store.GetProfileInt("Settings", "Often", 25), 12);  // opening keeps what is there

    // Not a key handle at all: the registry refuses it.
    const HKEY badRoot = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    EXPECT_FALSE(PointAt(badRoot, "Software\\Elsewhere"));
    EXPECT_EQ(store.GetBaseKey(), "Software\\Elsewhere");
    // Re-pointed: the old key is out of reach, and writes fail quietly.
    EXPECT_EQ(store.GetProfileInt("Settings", "Often", 25), 25);
    EXPECT_FALSE(store.WriteProfileString("Settings", "Often", "3"));
    EXPECT_EQ(Setting("Often"), "12");

    ASSERT_TRUE(PointAt(HKEY_LOCAL_MACHINE, kBaseKey));
    EXPECT_EQ(store.GetProfileInt("Settings", "Often", 25), 12);
}

TEST_F(ProfileStoreTest, IntegersAreScannedFromTheStoredText)
{
    SetSetting("Plain", "25");
    SetSetting("Words", "  7 minutes");
    SetSetting("Negative", "-3");
    SetSetting("Letters", "abc");
    SetSetting("Empty", "");
    EXPECT_EQ(store.GetProfileInt("Settings", "Plain", 1), 25);
    EXPECT_EQ(store.GetProfileInt("Settings", "Words", 1), 7);
    EXPECT_EQ(store.GetProfileInt("Settings", "Negative", 1), -3);
    EXPECT_EQ(store.GetProfileInt("Settings", "Letters", 1), 1);
    EXPECT_EQ(store.GetProfileInt("Settings", "Empty", 1), 1);
    EXPECT_EQ(store.GetProfileInt("Settings", "Missing", 9), 9);

    // Reading a section that does not exist creates nothing.
    EXPECT_EQ(store.GetProfileInt("Nowhere", "Often", 4), 4);
    EXPECT_EQ(store.GetProfileString("Nowhere", "Often", "d"), "d");
    EXPECT_FALSE(KeyExists((std::string(kBaseKey) + "\\Nowhere").c_str()));
}

TEST_F(ProfileStoreTest, TextsOfUpTo259CharactersReadBack)
{
    const std::string fits(259, 'f');
    const std::string tooLong(260, 't');
    ASSERT_TRUE(store.WriteProfileString("Settings", "Fits", fits.c_str()));
    ASSERT_TRUE(store.WriteProfileString("Settings", "TooLong", tooLong.c_str()));
    EXPECT_EQ(Raw(kSection, "TooLong"), Sz(tooLong));  // stored whole
    EXPECT_EQ(store.GetProfileString("Settings", "Fits", "d"), fits);
    EXPECT_EQ(store.GetProfileString("Settings", "TooLong", "d"), "d");
    EXPECT_EQ(store.GetProfileString("Settings", "Missing", "d"), "d");

    // Data of another type is no text, even when it would fit.
    WriteRawValue(kSection.c_str(), "Binary", REG_BINARY, std::string(260, 'b'));
    EXPECT_EQ(store.GetProfileString("Settings", "Binary", "d"), "d");
}

TEST_F(ProfileStoreTest, WritesStoreZeroTerminatedText)
{
    RemoveBaseKey();  // a write creates the base key and the section when they are missing
    EXPECT_TRUE(store.WriteProfileInt("Settings", "Zero", 0));
    auto zero = ReadValue(kSection.c_str(), "Zero");
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(zero->data, std::string("0\0", 2));

    EXPECT_TRUE(store.WriteProfileInt("Settings", "Minus", -1));
    EXPECT_EQ(Raw(kSection, "Minus"), Sz("-1"));
    EXPECT_EQ(store.GetProfileInt("Settings", "Minus", 5), -1);

    EXPECT_TRUE(store.WriteProfileString("Fresh", "Empty", ""));
    auto empty = ReadValue((std::string(kBaseKey) + "\\Fresh").c_str(), "Empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(empty->data, std::string(1, '\0'));
    EXPECT_EQ(store.GetProfileString("Fresh", "Empty", "d"), "");

    // A write is read back at once: nothing is cached.
    EXPECT_TRUE(store.WriteProfileString("Settings", "Zero", "abc"));
    EXPECT_EQ(store.GetProfileString("Settings", "Zero", "d"), "abc");
}

// Where the machine-wide key refuses this user (no UAC virtualisation), the user's own key takes the
// settings, reads find them there, and once the machine-wide key takes a value again the user's copy of
// it goes. Every refusal is kept for the program to tell.
TEST_F(ProfileStoreTest, AMachineWideKeyThisUserCannotWriteGivesWayToTheUsersOwn)
{
    SetSetting("Often", "12");
    {
        RefusedRegistry refused;
        ASSERT_TRUE(refused.Active());
        EXPECT_TRUE(store.WriteProfileString("Settings", "Often", "7"));
        const auto problems = store.TakeWriteProblems();
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].name, "Often");
        EXPECT_EQ(problems[0].error, ERROR_ACCESS_DENIED);
        EXPECT_TRUE(problems[0].storedForUser);
        EXPECT_EQ(Setting("Often"), "12");
        EXPECT_EQ(UserSetting("Often"), "7");
        EXPECT_EQ(store.GetProfileInt("Settings", "Often", 25), 7) << "this user's copy first";
    }
    EXPECT_TRUE(store.WriteProfileString("Settings", "Often", "9"));
    EXPECT_TRUE(store.TakeWriteProblems().empty());
    EXPECT_EQ(Setting("Often"), "9");
    EXPECT_FALSE(UserSetting("Often")) << "the older copy would hide the newer value";

    RefusedRegistry refusedEverywhere(true);
    EXPECT_FALSE(store.WriteProfileString("Settings", "Often", "3"));
    const auto problems = store.TakeWriteProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_FALSE(problems[0].storedForUser);
    EXPECT_EQ(store.GetProfileInt("Settings", "Often", 25), 9);
}

}  // namespace
