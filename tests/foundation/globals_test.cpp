#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "foundation/hooks.h"
#include "foundation/string.h"
#include "platform/testing/fake_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string>* trace = nullptr;

void Record(const char* name, bool constructed)
{
    trace->push_back(std::string(constructed ? "+" : "-") + name);
}

const char* const kHigher[] = {"AutoUpdate", "g",          "StatusBar1", "StatusBar2", "StatusBar3", "StatusBar4",
                               "StatusBar5", "StatusBar6", "StatusBar7", "StatusBar8", "StatusBar9", "MainWindowValues",
                               "View"};

void ConstructHigher()
{
    for (const char* name : kHigher)
        Record(name, true);
}

void DestroyHigher()
{
    for (int i = static_cast<int>(std::size(kHigher)) - 1; i >= 0; --i)
        Record(kHigher[i], false);
}

TEST(Globals, BuiltInTableOrderAndDestroyedInExactReverse)
{
    std::vector<std::string> recorded;
    trace = &recorded;
    DestroyGlobals();
    ASSERT_FALSE(GlobalsConstructed());

    SetGlobalsTrace(&Record);
    FoundationHooks.ConstructHigherGlobals = &ConstructHigher;
    FoundationHooks.DestroyHigherGlobals = &DestroyHigher;
    {
        plat::testing::ScopedFakeClock clock(1234567890);
        ASSERT_TRUE(ConstructGlobals());
        EXPECT_EQ(ProgramStartTime, 1234567890);
    }
    EXPECT_TRUE(GlobalsConstructed());
    EXPECT_FALSE(ConstructGlobals());
    DestroyGlobals();
    SetGlobalsTrace(nullptr);
    FoundationHooks = TNFoundationHooks{};

    std::vector<std::string> order = {
        "App",   "ProgramStartTime", "DataRootFolder", "FolderHelper", "c", "Dirs", "Uzivatele", "raf",
        "Setup", "HigherGlobals"};
    order.insert(order.end(), std::begin(kHigher), std::end(kHigher));
    std::vector<std::string> expected;
    for (const std::string& name : order)
        expected.push_back("+" + name);
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        expected.push_back("-" + *it);
    EXPECT_EQ(recorded, expected);

    trace = nullptr;
    ASSERT_TRUE(ConstructGlobals());
    EXPECT_EQ(App.PimServersCount, 1);
}

} // namespace
