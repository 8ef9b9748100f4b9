// Reading stored numbers and the lines of the old INI file.
#include "settings/ini_line.h"
#include "settings/stored_int.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

static bool Scans(const char* text, int expected)
{
    int value = 12345;
    return ScanStoredInt(text, &value) && value == expected;
}

TEST(StoredInt, LeadingNumberRestIgnored)
{
    EXPECT_TRUE(Scans("25", 25));
    EXPECT_TRUE(Scans("  7 minutes", 7));
    EXPECT_TRUE(Scans("\t\n\v\f\r 8", 8));
    EXPECT_TRUE(Scans("-3", -3));
    EXPECT_TRUE(Scans("+4x", 4));
    EXPECT_TRUE(Scans("007", 7));
    EXPECT_TRUE(Scans("12.9", 12));
}

TEST(StoredInt, NoNumberLeavesTheValueAlone)
{
    for (const char* text : {"", "abc", "-", "+", " - 3", "+-3", "x25", "\xA0" "5"}) {
        int value = 12345;
        EXPECT_FALSE(ScanStoredInt(text, &value)) << text;
        EXPECT_EQ(value, 12345) << text;
    }
    int value = 1;
    EXPECT_FALSE(ScanStoredInt(nullptr, &value));
}

TEST(StoredInt, OutOfRangeIsClampedNotWrapped)
{
    EXPECT_TRUE(Scans("2147483647", INT_MAX));
    EXPECT_TRUE(Scans("2147483648", INT_MAX));
    EXPECT_TRUE(Scans("-2147483648", INT_MIN));
    EXPECT_TRUE(Scans("-2147483649", INT_MIN));
    EXPECT_TRUE(Scans("4294967321", INT_MAX)); // would wrap to 25
    EXPECT_TRUE(Scans("99999999999999999999999999999999999", INT_MAX));
}

static IniLine Value(const std::string& name, const std::string& text)
{
    return IniLine{IniLineKind::Value, "", name, text};
}

static void ExpectLine(const std::string& line, const IniLine& expected)
{
    const IniLine got = ClassifyIniLine(line);
    EXPECT_EQ(got.kind, expected.kind) << line;
    EXPECT_EQ(got.section, expected.section) << line;
    EXPECT_EQ(got.name, expected.name) << line;
    EXPECT_EQ(got.text, expected.text) << line;
}

TEST(IniLine, HeadersAreTheWholeBracketedLine)
{
    const IniLineKind header = IniLineKind::Header;
    ExpectLine("[Settings]", {header, "Settings", "", ""});
    ExpectLine(" \t[ Settings ]\r\n", {header, "Settings", "", ""});
    ExpectLine("[a[b]", {header, "a[b", "", ""});
    ExpectLine("[]", {header, "", "", ""});
    ExpectLine("[a]b]", {IniLineKind::Skip, "", "", ""});
    ExpectLine("x[a]", {IniLineKind::Skip, "", "", ""});
    ExpectLine("[a]=1", Value("[a]", "1"));
    ExpectLine("[a", {IniLineKind::Skip, "", "", ""});
}

TEST(IniLine, ValuesSplitAtTheFirstEqualsSign)
{
    ExpectLine("Often = 10", Value("Often ", " 10"));
    ExpectLine("  Often=10 \r\n", Value("Often", "10"));
    ExpectLine("a=b=c", Value("a", "b=c"));
    ExpectLine(";note=1", Value(";note", "1"));
    ExpectLine("=x", Value("", "x"));
    ExpectLine("x=", Value("x", ""));
    ExpectLine(std::string("N\0me=t\0xt", 9), Value(std::string("N\0me", 4), std::string("t\0xt", 4)));
}

TEST(IniLine, OtherLinesAreSkipped)
{
    for (const char* line : {"", "   ", "\r\n", "; comment", "just text", "]["})
        ExpectLine(line, {IniLineKind::Skip, "", "", ""});
}
