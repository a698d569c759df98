// Every hook entry the built layers call is filled by the program itself:
// the probe wires the libraries with the program's own installer, starts up
// as the program does and lists each entry of each table.
#include "platform/core/file.h"
#include "tests/platform/process_fixture.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

namespace {

// Entries that wait for the pages or the universal dialog, which fill them
// when they are built; each entry leaves its list when its filler lands.
const std::set<std::string> kWaitingForPages = {
    "SessionHooks.StopZentorSeconds",
    "ViewMainHooks.ResizeZentor",
};
// Entries only a run without windows fills: the main window's consumer of
// the UI-update tags polls while a save runs instead of waiting to be woken.
const std::set<std::string> kHeadlessOnly = {
    "ModelHooks.SaveFinished",
};

bool Listed(const std::string& name)
{
    return kWaitingForPages.count(name) != 0 || kHeadlessOnly.count(name) != 0;
}

class HookTable : public testenv::PrivateEnvironment {};

TEST_F(HookTable, TheProgramFillsEveryEntryButThoseWaitingForPagesAndDialog)
{
    // The probe runs from a folder of its own, as the installed program does.
    const std::string folder = root_ + "prog/";
    std::string probe;
    ASSERT_TRUE(plat::CreateFolders(folder));
    ASSERT_TRUE(plat::ReadWholeFile(DALMORA_HOOK_TABLE_PROBE, probe));
    ASSERT_TRUE(plat::WriteFileAtomically(folder + "hook_table_probe", probe, 0755));

    testenv::Child child;
    ASSERT_TRUE(child.Spawn({folder + "hook_table_probe"}));
    const std::string output = child.ReadToEnd();
    int status = -1;
    ASSERT_TRUE(child.Wait(status, 20000));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    std::istringstream lines(output);
    std::string name;
    std::string state;
    int entries = 0;
    bool ended = false;
    while (lines >> name) {
        if (name == "end") {
            ended = true;
            break;
        }
        ASSERT_TRUE(lines >> state) << name;
        ++entries;
        EXPECT_NE(state, "incomplete") << name << ": an entry of this table is missing from the probe's list";
        const bool waiting = Listed(name);
        if (state == "null") {
            EXPECT_TRUE(waiting) << name << " is not filled by the program";
        } else if (state == "set") {
            EXPECT_FALSE(waiting) << name << " is filled now: take it off its list";
        }
    }
    EXPECT_TRUE(ended) << output;
    EXPECT_GT(entries, 100);
}

} // namespace
