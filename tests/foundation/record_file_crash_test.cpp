#include "foundation/record_file_set.h"
#include "tests/foundation/record_file_crash_plan.h"
#include "tests/foundation/record_file_test_util.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>

extern char** environ;

namespace {

// Rounds of the crash test; the default keeps it quick, DALMORA_CRASH_ROUNDS=200
// runs the full test.
int Rounds()
{
    const char* value = std::getenv("DALMORA_CRASH_ROUNDS");
    return value != nullptr ? std::atoi(value) : 100;
}

struct DriverRun {
    // Passes the driver reported finished.
    int finished = 0;
    bool killed = false;
    int exitCode = 0;
    std::string errors;
};

// Starts the driver, kills it with SIGKILL after `delayMs` and collects what it
// printed.
DriverRun RunDriver(const std::vector<std::string>& arguments, int delayMs, const std::string& errorPath)
{
    DriverRun run;
    int out[2];
    if (pipe(out) != 0) {
        ADD_FAILURE() << "pipe";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    std::string program = DALMORA_RECORD_FILE_CRASH_DRIVER;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        ADD_FAILURE() << "cannot start " << program;
        return run;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delayMs * 1000 + 1));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

    std::string printed;
    char buffer[4096];
    for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
        printed.append(buffer, static_cast<size_t>(got));
    close(out[0]);
    for (size_t at = printed.find("done "); at != std::string::npos; at = printed.find("done ", at + 5)) {
        if (printed.find('\n', at) != std::string::npos)
            run.finished = std::atoi(printed.c_str() + at + 5);
    }
    plat::ReadWholeFile(errorPath, run.errors);
    return run;
}

class RecordFileCrash : public recfiletest::TempFolderTest {
protected:
    // Opens the file, checks every record is whole and held once, and returns
    // what it holds. Appends to `mixed` whether some records show the pass in
    // progress and others the state before it.
    crashplan::State OpenAndCheck(const std::string& path)
    {
        crashplan::State state;
        TNRAF set;
        int32_t fid = recfiletest::OpenSlot(set, path);
        EXPECT_NE(set.Items[0]->handle.Descriptor(), -1) << "the file does not open";
        TNRAFile& file = *set.Items[0];
        for (const TNRAFileIndexEntry& entry : file.index) {
            if (entry.IsHole())
                continue;
            uint64_t key = crashplan::Key(entry.type, entry.id);
            auto bytes = recfiletest::LoadRecord(set, fid, entry.type, entry.id);
            EXPECT_TRUE(bytes.has_value()) << "record " << key << " does not load";
            if (!bytes.has_value())
                continue;
            uint32_t version = crashplan::VersionOf(*bytes);
            EXPECT_EQ(*bytes,
                      crashplan::RecordBytes(entry.type, entry.id, version, static_cast<uint32_t>(bytes->size())))
                << "record " << key << " is torn";
            EXPECT_TRUE(state.emplace(key, crashplan::Content{version, static_cast<uint32_t>(bytes->size())}).second)
                << "record " << key << " is held twice";
        }
        set.closeAllFiles();
        return state;
    }
};

TEST_F(RecordFileCrash, FileSurvivesKillsDuringSavePasses)
{
    const int rounds = Rounds();
    const char* seedText = std::getenv("DALMORA_CRASH_SEED");
    const uint32_t seed =
        seedText != nullptr ? static_cast<uint32_t>(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    std::printf("crash test: %d rounds, DALMORA_CRASH_SEED=%u\n", rounds, seed);
    std::mt19937 random(seed);
    const std::string path = folder_ + "pim-crash.dld";
    const std::string errorPath = folder_ + "driver.err";

    // What every record held after the last finished pass, and what the pass
    // in progress gave it.
    crashplan::State finished;
    crashplan::State inProgress;
    int cutMidPass = 0;
    int passesTotal = 0;
    for (int round = 0; round <= rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round) + ", DALMORA_CRASH_SEED=" + std::to_string(seed));
        // 1. The file opens, and each record is in one of its two states.
        crashplan::State now = OpenAndCheck(path);
        bool sawFinished = false;
        bool sawInProgress = false;
        std::set<uint64_t> keys;
        for (const auto* state : {&finished, &inProgress, &now})
            for (const auto& entry : *state)
                keys.insert(entry.first);
        for (uint64_t key : keys) {
            auto get = [key](const crashplan::State& state) -> std::optional<crashplan::Content> {
                auto found = state.find(key);
                return found == state.end() ? std::nullopt : std::optional(found->second);
            };
            auto actual = get(now);
            auto before = get(finished);
            auto after = get(inProgress);
            EXPECT_TRUE(actual == before || actual == after)
                << "record " << key << " holds " << (actual ? actual->version : 0) << ", expected "
                << (before ? before->version : 0) << " or " << (after ? after->version : 0);
            if (before != after) {
                sawFinished = sawFinished || actual == before;
                sawInProgress = sawInProgress || actual == after;
            }
        }
        cutMidPass += sawFinished && sawInProgress ? 1 : 0;
        if (HasFailure() || round == rounds)
            break;

        // 2. Now and then a crash while the file is opened (and perhaps rebuilt).
        if (random() % 4 == 0) {
            DriverRun open = RunDriver({path, "open"}, static_cast<int>(random() % 3), errorPath);
            EXPECT_TRUE(open.killed || open.exitCode == 0) << open.errors;
            crashplan::State reopened = OpenAndCheck(path);
            EXPECT_TRUE(reopened == now) << "opening changed the records";
        }

        // 3. Save passes until a kill at a random moment.
        DriverRun run =
            RunDriver({path, std::to_string(seed), std::to_string(round)}, static_cast<int>(random() % 40), errorPath);
        EXPECT_TRUE(run.killed) << "driver ended with " << run.exitCode << ": " << run.errors.substr(0, 2000);
        EXPECT_EQ(run.errors.find("Sanitizer"), std::string::npos) << run.errors;
        EXPECT_EQ(run.errors.find("runtime error"), std::string::npos) << run.errors;
        passesTotal += run.finished;

        crashplan::Planner planner(seed, static_cast<uint32_t>(round), now);
        for (int pass = 0; pass < run.finished; ++pass)
            planner.NextPass();
        finished = planner.state();
        planner.NextPass();
        inProgress = planner.state();
    }
    // Kills while a repair replaced the index leave no temporary behind
    // once the file was opened again.
    DIR* dir = opendir(folder_.c_str());
    ASSERT_NE(dir, nullptr);
    while (const dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        EXPECT_TRUE(name == "." || name == ".." || name == "pim-crash.dld" || name == "pim-crash.dli" ||
                    name == "driver.err")
            << "left behind: " << name;
    }
    closedir(dir);
    std::printf("crash test: %d passes finished, %d rounds cut in the middle of a pass\n", passesTotal, cutMidPass);
}

} // namespace
