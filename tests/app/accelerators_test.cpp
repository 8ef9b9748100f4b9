// The main window's accelerators are the framework's standard keys bound to its standard commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "app/resource.h"

namespace {

using Binding = std::tuple<BYTE, WORD, WORD>;  // modifiers (without FVIRTKEY), key, command

std::vector<Binding> BindingsOf(HACCEL table)
{
    std::vector<ACCEL> entries(static_cast<size_t>(::CopyAcceleratorTableA(table, nullptr, 0)));
    ::CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
    std::vector<Binding> bindings;
    for (const ACCEL& entry : entries)
        bindings.emplace_back(static_cast<BYTE>(entry.fVirt & ~(FVIRTKEY | 0x80)), entry.key, entry.cmd);
    std::sort(bindings.begin(), bindings.end());
    return bindings;
}

}  // namespace

TEST(Accelerators, AreTheStandardKeysForNewOpenSaveUndoAndThePanes)
{
    HACCEL table = ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(table, nullptr);
    // The standard command numbers: new 0xE100, open 0xE101, save 0xE103, undo 0xE12B, next and
    // previous pane 0xE150 and 0xE151.
    std::vector<Binding> expected = {
        {FCONTROL, 'N', 0xE100}, {FCONTROL, 'O', 0xE101}, {FCONTROL, 'S', 0xE103}, {FCONTROL, 'Z', 0xE12B},
        {FALT, VK_BACK, 0xE12B}, {0, VK_F6, 0xE150},      {FSHIFT, VK_F6, 0xE151},
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(BindingsOf(table), expected);
    ::DestroyAcceleratorTable(table);
}
