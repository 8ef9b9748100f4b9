// Reading stored numbers and the lines of the old INI file.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

#include "settings/rules/ini_line.h"
#include "settings/rules/stored_int.h"

static int Scanned(const char* text)
{
    int value = 12345;  // kept when there is no number
    return ScanStoredInt(text, &value) ? value : (value == 12345 ? -12345 : 0);
}

TEST(StoredInt, LeadingNumberRestIgnoredOverflowClamped)
{
    EXPECT_EQ(Scanned("25"), 25);
    EXPECT_EQ(Scanned("\t\n\v\f\r 7 minutes"), 7);
    EXPECT_EQ(Scanned("-3"), -3);
    EXPECT_EQ(Scanned("+4.9"), 4);
    EXPECT_EQ(Scanned("2147483648"), INT_MAX);
    EXPECT_EQ(Scanned("-2147483648"), INT_MIN);
    EXPECT_EQ(Scanned("-2147483649"), INT_MIN);
    EXPECT_EQ(Scanned("4294967321"), INT_MAX);  // would wrap to 25
    EXPECT_EQ(Scanned("99999999999999999999999999999999999"), INT_MAX);
    for (const char* text : {"", "abc", "-", "+", " - 3", "+-3",
                             "\xA0"
                             "5",
                             static_cast<const char*>(nullptr)})
        EXPECT_EQ(Scanned(text), -12345) << (text ? text : "null");
}

static void ExpectLine(const std::string& line, IniLineKind kind, const std::string& section,
                       const std::string& name = "", const std::string& text = "")
{
    const IniLine got = ClassifyIniLine(line);
    EXPECT_EQ(got.kind, kind) << line;
    EXPECT_EQ(got.section, section) << line;
    EXPECT_EQ(got.name, name) << line;
    EXPECT_EQ(got.text, text) << line;
}

TEST(IniLine, HeaderIsTheWholeTrimmedLineInBrackets)
{
    ExpectLine("[Settings]", IniLineKind::Header, "Settings");
    ExpectLine(" \t[ Settings ]\r\n", IniLineKind::Header, "Settings");
    ExpectLine("[a[b]", IniLineKind::Header, "a[b");
    ExpectLine("[]", IniLineKind::Header, "");
    ExpectLine("[a]=1", IniLineKind::Value, "", "[a]", "1");
    for (const char* line : {"[a]b]", "x[a]", "[a", "", " \r\n", "; comment", "]["})
        ExpectLine(line, IniLineKind::Skip, "");
}

TEST(IniLine, ValueSplitsAtTheFirstEqualsSignKeepingInnerSpaces)
{
    ExpectLine("Often = 10", IniLineKind::Value, "", "Often ", " 10");
    ExpectLine("  Often=10 \r\n", IniLineKind::Value, "", "Often", "10");
    ExpectLine("a=b=c", IniLineKind::Value, "", "a", "b=c");
    ExpectLine(";note=1", IniLineKind::Value, "", ";note", "1");
    ExpectLine("=x", IniLineKind::Value, "", "", "x");
    ExpectLine(std::string("N\0me=t\0xt", 9), IniLineKind::Value, "", std::string("N\0me", 4),
               std::string("t\0xt", 4));
}
