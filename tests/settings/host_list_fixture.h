// A started program whose store holds a given host list, for the host-list and dialog tests. The
// engine never starts (auto-start off), so no host of the list is ever contacted.
#ifndef PRODLE_TESTS_SETTINGS_HOST_LIST_FIXTURE_H
#define PRODLE_TESTS_SETTINGS_HOST_LIST_FIXTURE_H

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/resource.h"
#include "form/prodle_view.h"
#include "framework/cstring.h"
#include "support/form.h"
#include "support/registry.h"
#include "support/test_app.h"

using Names = std::vector<std::string>;

inline const Names kFiveHosts = {"alpha.test", "beta.test", "gamma.test", "delta.test", "epsilon.test"};
// The set the program brings back when its list is empty, written out: a test must not take it from
// the code it tests.
inline const Names kDefaultHosts = {"www.example.com", "1.1.1.1", "www.wikipedia.org"};

class HostListTest : public testing::Test {
protected:
    const Names kFive = kFiveHosts;

    void SetUp() override
    {
        RemoveBaseKey();
        RemoveIniFile();
        SetSetting("AutoStart", "0");
    }
    void TearDown() override
    {
        App().Stop();
        RemoveIniFile();
    }

    // Stores the list (and the selection, when given) and starts the program.
    void StartWith(const Names& names, std::optional<int> selection)
    {
        for (size_t i = 0; i < names.size(); ++i)
            SetSetting(FormatString("ComboName%d", static_cast<int>(i)).c_str(), names[i]);
        if (selection)
            SetSetting("ComboNameSel", std::to_string(*selection));
        ASSERT_TRUE(App().Start());
        form = App().Form();
        ASSERT_NE(form, nullptr);
    }

    // ComboName0 .. ComboName<count-1> as stored; a missing value reads as "<missing>".
    static Names StoredNames(int count)
    {
        Names names;
        for (int i = 0; i < count; ++i)
            names.push_back(Setting(FormatString("ComboName%d", i).c_str()).value_or("<missing>"));
        return names;
    }

    Names ComboEntries() const { return ::ComboEntries(form, IDC_COMBO_HOSTS); }
    int ComboSelection() const { return ::ComboSelection(form, IDC_COMBO_HOSTS); }
    // The host of the engine's later prodles.
    static std::string CurrentHost() { return App().View()->Engine()->CurrentHost(); }

    HWND form = nullptr;
};

#endif
