#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/hooks.h"
#include "foundation/pim_array.h"
#include "foundation/program_start.h"
#include "platform/core/file.h"
#include "platform/core/identity.h"
#include "platform/core/instance_lock.h"
#include "platform/core/paths.h"
#include "platform/testing/fake_clock.h"
#include "tests/foundation/unusable_users_folder.h"
#include "tests/platform/process_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records what the entry function asks of the windows; its loop runs a
// step the test chooses.
class FakeWindows final : public TNProgramWindows {
public:
    void InitializeApplication(const char* title) override { calls.push_back(std::string("init ") + title); }
    void CreateMainWindow() override { calls.push_back("main"); }
    void CreateLogWindow() override { calls.push_back("log"); }
    void CreateTimePicker() override { calls.push_back("picker"); }
    void Run() override
    {
        calls.push_back("run");
        if (loop)
            loop();
    }

    std::vector<std::string> calls;
    std::function<void()> loop;
};

// True when the lock of this user's copy is free (taken and let go again).
bool LockIsFree(const std::string& name)
{
    plat::InstanceLock probe;
    return probe.Acquire(name) == plat::InstanceLock::Result::Acquired;
}

struct StartedTask {
    std::string name;
    bool lockFree;
};

// Every data set the factory made, by position; none is a real one.
std::vector<int32_t>* madePositions = nullptr;
TNPIM* FakePIM(int32_t position)
{
    static char storage[kMaxPimServers];
    madePositions->push_back(position);
    return reinterpret_cast<TNPIM*>(&storage[position]);
}

class ProgramStart : public testenv::PrivateEnvironment {
protected:
    void SetUp() override
    {
        PrivateEnvironment::SetUp();
        savedApp_ = App;
        folder_ = root_ + "prog/";
        ASSERT_TRUE(plat::CreateFolders(folder_));
        SetProgramFolderForTest(folder_);
        // Development without servers, logging off, unless a test says
        // otherwise.
        Write("development-version.txt", "30");
        madePositions = &made_;
        FoundationHooks.CreatePIM = &FakePIM;
        FoundationHooks.DestroyPIM = [](TNPIM*) {};
    }
    void TearDown() override
    {
        FoundationHooks.CreatePIM = nullptr;
        App = savedApp_;
        App.PimServersCount = 0;
        c.ResizePIM();
        App = savedApp_;
        FoundationHooks.DestroyPIM = nullptr;
        madePositions = nullptr;
        SetProgramFolderForTest("");
        PrivateEnvironment::TearDown();
    }

    void Write(const std::string& name, const std::string& contents)
    {
        ASSERT_TRUE(plat::WriteFileAtomically(folder_ + name, contents));
    }

    int Start(const std::vector<std::string>& tail)
    {
        std::vector<std::string> arguments = {folder_ + "dalmora1"};
        arguments.insert(arguments.end(), tail.begin(), tail.end());
        return WinMain(arguments, windows_, [this](const std::string& name) {
            tasks_.push_back({name, LockIsFree(InstanceLockName(plat::LoginName()))});
        });
    }

    std::string LockName() const { return InstanceLockName(plat::LoginName()); }

    TNAppInfo savedApp_{};
    std::string folder_;
    FakeWindows windows_;
    std::vector<StartedTask> tasks_;
    std::vector<int32_t> made_;
};

TEST_F(ProgramStart, FirstCopyCreatesTheWindowsInOrderAndRunsWhileHoldingTheLock)
{
    bool heldDuringRun = false;
    TNAppInfo during{};
    windows_.loop = [&] {
        heldDuringRun = !LockIsFree(LockName());
        during = App;
    };
    EXPECT_EQ(Start({"-update", "ignored", "-autorun", "-Restore"}), 0);

    EXPECT_EQ(windows_.calls, (std::vector<std::string>{"init Dalmora", "main", "log", "picker", "run"}));
    EXPECT_TRUE(heldDuringRun);
    EXPECT_TRUE(LockIsFree(LockName()));
    EXPECT_TRUE(tasks_.empty());
    EXPECT_EQ(during.IsAutorun, 1);
    EXPECT_EQ(during.IsUpdate, 1);
    EXPECT_EQ(during.IsRestore, 0) << "switches are compared exactly";
}

TEST_F(ProgramStart, UpdateReadyStartsTheUpdateTaskAfterTheLockIsReleased)
{
    windows_.loop = [] { App.UpdateReady = 1; };
    EXPECT_EQ(Start({}), 0);
    ASSERT_EQ(tasks_.size(), 1u);
    EXPECT_EQ(tasks_[0].name, "DalmoraAktualizace");
    EXPECT_TRUE(tasks_[0].lockFree);
}

TEST_F(ProgramStart, ALoopThatThrowsStillReleasesTheLockAndReturnsZero)
{
    windows_.loop = [] {
        App.UpdateReady = 1;
        throw std::runtime_error("loop failed");
    };
    EXPECT_EQ(Start({}), 0);
    EXPECT_TRUE(LockIsFree(LockName()));
    ASSERT_EQ(tasks_.size(), 1u);
    EXPECT_EQ(tasks_[0].name, "DalmoraAktualizace");
    EXPECT_TRUE(tasks_[0].lockFree);
}

TEST_F(ProgramStart, ASecondCopyCreatesNoWindowAndStartsTheRestoreTaskUnlessRestored)
{
    // The running copy is a development copy, as the file beside this one says.
    plat::InstanceLock running;
    ASSERT_EQ(running.Acquire("DLMR1DEBUG_" + plat::LoginName()), plat::InstanceLock::Result::Acquired);

    EXPECT_EQ(Start({}), 0);
    EXPECT_TRUE(windows_.calls.empty());
    ASSERT_EQ(tasks_.size(), 1u);
    EXPECT_EQ(tasks_[0].name, "DalmoraRestore");

    tasks_.clear();
    EXPECT_EQ(Start({"-restore"}), 0);
    EXPECT_TRUE(windows_.calls.empty());
    EXPECT_TRUE(tasks_.empty());
}

TEST_F(ProgramStart, RestartSleepsOncePerOccurrenceBeforeTheTaskFiles)
{
    struct Case {
        std::vector<std::string> arguments;
        std::vector<int64_t> sleeps;
    };
    const Case cases[] = {
        {{"restart", "restart", "-schtasks"}, {3000, 3000}},
        {{"restart", "-schtasks", "restart"}, {3000}},
        {{"-schtasks", "restart"}, {}},
    };
    for (const Case& row : cases) {
        plat::testing::ScopedFakeClock clock(1700000000);
        plat::RemoveFile(folder_ + "DalmoraRestore.xml");
        EXPECT_EQ(Start(row.arguments), 0);
        EXPECT_EQ(clock->Sleeps(), row.sleeps);
        EXPECT_TRUE(plat::FileExists(folder_ + "DalmoraRestore.xml"));
    }
    EXPECT_TRUE(windows_.calls.empty());
}

TEST_F(ProgramStart, SchtasksEndsBeforeTheOtherSwitchesAndFiles)
{
    App.IsAutorun = 0;
    Write("development-version.txt", "11");
    EXPECT_EQ(Start({"-schtasks", "-autorun"}), 0);
    EXPECT_EQ(App.IsAutorun, 0);
    EXPECT_EQ(App.IsDev, savedApp_.IsDev) << "the development file is not read";
    EXPECT_TRUE(made_.empty());
    EXPECT_TRUE(LockIsFree(LockName()));
    EXPECT_TRUE(plat::FileExists(folder_ + "DalmoraAktualizace.xml"));
}

TEST_F(ProgramStart, DevelopmentCopyUsesItsOwnLockAndFolders)
{
    Write("development-version.txt", "11");
    std::string user = plat::LoginName();
    bool debugLockHeld = false;
    bool releaseLockFree = false;
    std::string producer;
    windows_.loop = [&] {
        debugLockHeld = !LockIsFree("DLMR1DEBUG_" + user);
        releaseLockFree = LockIsFree("DLMR1_" + user);
        producer = App.DirProducer;
    };
    EXPECT_EQ(Start({}), 0);
    EXPECT_TRUE(debugLockHeld);
    EXPECT_TRUE(releaseLockFree);
    EXPECT_EQ(producer, "DalmoraDEBUG");
    EXPECT_TRUE(plat::FileExists(runtime_ + "DLMR1DEBUG_" + user + ".lock"));
}

TEST_F(ProgramStart, SizesThePimArrayOnceForTheFinalServerTable)
{
    struct Case {
        const char* name;
        const char* development; // null: no file
        std::vector<int32_t> made;
    };
    const Case cases[] = {
        {"release with the built-in server", nullptr, {0}},
        {"development set 1", "10", {0}},
        {"development without servers", "3", {}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        plat::RemoveFile(folder_ + "development-version.txt");
        if (row.development != nullptr)
            Write("development-version.txt", row.development);
        made_.clear();
        std::vector<int32_t> madeBeforeLoop;
        windows_.loop = [&] { madeBeforeLoop = made_; };
        EXPECT_EQ(Start({}), 0);
        EXPECT_EQ(madeBeforeLoop, row.made);
        EXPECT_EQ(PIM.Count(), static_cast<int32_t>(row.made.size()));
    }
}

std::vector<std::string>* shownMessages = nullptr;
int32_t RecordMessage(const char* text, const char* caption, uint32_t)
{
    shownMessages->push_back(std::string(caption) + ": " + text);
    return mrOk;
}

TEST_F(ProgramStart, AUsersFolderThatCannotBeWrittenEndsTheRunAndNamesTheFolder)
{
    std::vector<std::string> messages;
    shownMessages = &messages;
    FoundationHooks.MessageBox = &RecordMessage;
    for (const auto& row : testing_support::UnusableUsersFolders()) {
        SCOPED_TRACE(row.name);
        const std::string home = root_ + row.name + "/";
        ASSERT_TRUE(row.block(home.substr(0, home.size() - 1), "DalmoraDEBUG"));
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        messages.clear();
        windows_.calls.clear();

        EXPECT_EQ(Start({}), kExitUsersFolderUnusable);
        EXPECT_TRUE(windows_.calls.empty());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].rfind("CHYBA: ", 0), 0u) << messages[0];
        EXPECT_NE(messages[0].find(home + "DalmoraDEBUG/"), std::string::npos) << messages[0];
        EXPECT_TRUE(LockIsFree(LockName()));
    }
    FoundationHooks.MessageBox = nullptr;
    shownMessages = nullptr;

    setenv("XDG_DATA_HOME", (root_ + "home/.local/share/").c_str(), 1);
    EXPECT_EQ(Start({}), 0) << "a usable folder is made and used";
    EXPECT_TRUE(plat::IsWritableFolder(root_ + "home/.local/share/DalmoraDEBUG/"));
}

} // namespace
