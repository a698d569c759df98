// The automatic update against the test service's update side: the check,
// the list and its rules, chunked downloads with resume and back-off,
// "update.dat", the completion into a copy of the program folder and the
// close.

#include "tests/online/online_world.h"
#include "tests/service/update_service.h"
#include "tests/support/files.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/hooks.h"
#include "online/auto_update.h"
#include "online/global.h"
#include "online/headless_host.h"
#include "online/hooks.h"
#include "online/update.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "platform/testing/fake_clock.h"

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace online_test {
namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

constexpr int kNewVersion = 168;

// Every byte value, the escaping's sharp edges and zero bytes, 600,000 bytes.
std::string DataBin()
{
    std::string bytes;
    bytes.reserve(600000);
    const std::string edges = std::string(":]\\\\]") + std::string(3, '\0');
    for (size_t i = 0; bytes.size() < 600000; ++i)
        bytes += (i % 7 == 0) ? edges : std::string(1, static_cast<char>(i * 31 % 256));
    bytes.resize(600000);
    return bytes;
}

const std::string kReadme = "0123456789";

// What reached the windows, in the order the main loop ran it.
struct WindowRecord {
    std::vector<std::pair<uint32_t, std::string>> Blinks;
    std::vector<std::pair<std::string, std::string>> Boxes;
    int Notices = 0;
    int InfoStrips = 0;
    int32_t LastInfoStripTag = -1;
};
WindowRecord windows;

// Moves a fake clock on while real time passes, so the update's pauses run
// five times faster and their lengths can be read off the clock.
class ClockTicker {
public:
    explicit ClockTicker(plat::testing::FakeClock& clock) : clock_(clock)
    {
        thread_ = std::thread([this] {
            while (!stop_) {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                clock_.Advance(2);
            }
        });
    }
    ~ClockTicker()
    {
        stop_ = true;
        thread_.join();
    }

private:
    plat::testing::FakeClock& clock_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class UpdateTest : public OnlineWorld {
protected:
    UpdateTest() : updates_(service_) {}

    void SetUp() override
    {
        OnlineWorld::SetUp();
        program_ = Root() + "/program/";
        ASSERT_TRUE(plat::CreateFolders(program_));
        Dirs.AppDir.Set(program_.c_str());
        PointUpdateServiceAt("http", service_.Port());
        AutoUpdate.ResetRun();
        windows = WindowRecord{};
        MainWindowHooks.StatusVersionBlink = [](uint32_t colour, const char* text) {
            windows.Blinks.emplace_back(colour, text != nullptr ? text : "");
        };
        MainWindowHooks.UpozorniNaNovouVerzi = [] { ++windows.Notices; };
        MainWindowHooks.ArmInfoPruh = [](int32_t tag) {
            ++windows.InfoStrips;
            windows.LastInfoStripTag = tag;
        };
        FoundationHooks.MessageBox = [](const char* text, const char* caption, uint32_t) {
            windows.Boxes.emplace_back(text, caption);
            return static_cast<int32_t>(mrOk);
        };
        OnlineHooks.BeginAutoUpdate = &BeginAutoUpdate;
        plat::SetClock(&clock_);
        ticker_ = std::make_unique<ClockTicker>(clock_);
    }

    void TearDown() override
    {
        StopAutoUpdateForClose();
        ticker_.reset();
        plat::SetClock(nullptr);
        FoundationHooks.MessageBox = nullptr;
        AutoUpdate.ResetRun();
        OnlineWorld::TearDown();
    }

    void PointUpdateServiceAt(const char* protocol, uint16_t port)
    {
        std::snprintf(App.UpdateWebProtocol[0], sizeof(App.UpdateWebProtocol[0]), "%s", protocol);
        std::snprintf(App.UpdateWebDomain[0], sizeof(App.UpdateWebDomain[0]), "127.0.0.1:%u", port);
        ASSERT_TRUE(BuildServerAddresses(App));
    }

    void OfferBothFiles()
    {
        updates_.SetNewestVersion(kNewVersion);
        updates_.AddFile("readme.txt", "?", kReadme);
        updates_.AddFile("data.bin", "share/extra", DataBin());
    }

    std::string UpdateFolder() const { return TNUpdate::UpdateFolder(); }
    std::string Staged(const std::string& name) const
    {
        return UpdateFolder() + std::to_string(kNewVersion) + "/" + name;
    }

    // Runs the check on a thread of its own, as the update thread does.
    bool CheckOnThread()
    {
        bool result = false;
        std::thread([&] { result = g.AutomatickaAktualizace(); }).join();
        Pump();
        return result;
    }

    // "update.dat" as the disk has it.
    std::unique_ptr<TNUpdate> ListOnDisk() const
    {
        auto list = std::make_unique<TNUpdate>();
        std::string bytes = ReadFile(UpdateFolder() + TNUpdate::kListFileName);
        if (bytes.empty() || !list->Deserialize(bytes))
            return nullptr;
        return list;
    }

    std::vector<size_t> FromsOf(const std::string& name) const
    {
        std::vector<size_t> froms;
        for (const auto& [file, from] : updates_.Downloads())
            if (file == name)
                froms.push_back(from);
        return froms;
    }

    test_service::UpdateService updates_;
    std::string program_;
    plat::testing::FakeClock clock_{1700000000000};
    std::unique_ptr<ClockTicker> ticker_;
};

TEST_F(UpdateTest, DownloadsEveryFileInChunksAndInstallsThemAtTheClose)
{
    OfferBothFiles();
    // A stale file of an earlier run goes with the first check of the run.
    WriteFile(UpdateFolder() + "167/old.bin", "old");

    ASSERT_TRUE(CheckOnThread());

    EXPECT_EQ(updates_.CheckCount(), 1);
    EXPECT_EQ(FromsOf("data.bin"), (std::vector<size_t>{0, 250000, 500000}));
    EXPECT_EQ(FromsOf("readme.txt"), (std::vector<size_t>{0}));
    EXPECT_EQ(updates_.Downloads().front().first, "readme.txt");
    EXPECT_EQ(ReadFile(Staged("readme.txt")), kReadme);
    EXPECT_EQ(ReadFile(Staged("data.bin")), DataBin());
    EXPECT_FALSE(plat::FileExists(UpdateFolder() + "167/old.bin"));
    auto list = ListOnDisk();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Version, kNewVersion);
    EXPECT_EQ(list->PozadavekAktualizace, 1);
    EXPECT_EQ(list->ProvestAktualizaci, 1);
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Items[0]->Stazeno + list->Items[1]->Stazeno, 2);
    EXPECT_EQ(list->Items[1]->Velikost, 600000u);
    EXPECT_EQ(g.WantUpdate, 1);
    EXPECT_GE(g.InfoMessages.Find(6), 0);
    EXPECT_EQ(windows.InfoStrips, 1);
    ASSERT_FALSE(windows.Blinks.empty());
    EXPECT_EQ(windows.Blinks.front(),
              std::make_pair(0xC0C0C0u, std::string("Probíhá stahování dat pro automatickou aktualizaci...")));
    EXPECT_EQ(windows.Blinks.back().first, 0xFF0000u);
    EXPECT_TRUE(windows.Boxes.empty());

    // Ready already: the next check asks and downloads nothing.
    ASSERT_TRUE(CheckOnThread());
    EXPECT_EQ(updates_.CheckCount(), 2);
    EXPECT_EQ(updates_.Downloads().size(), 4u);

    // The close installs it into the program folder, over a file that a
    // running process executes.
    ASSERT_TRUE(plat::CopyFile("/bin/sleep", program_ + "readme.txt"));
    ASSERT_EQ(::chmod((program_ + "readme.txt").c_str(), 0755), 0);
    pid_t running = ::fork();
    if (running == 0) {
        ::execl((program_ + "readme.txt").c_str(), "readme.txt", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(running, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    StopAutoUpdateForClose();
    EXPECT_EQ(AutoUpdate.DoNotUpdate, 0);
    EXPECT_TRUE(CompleteAutoUpdateAtClose());
    ::kill(running, SIGKILL);
    int status = 0;
    ::waitpid(running, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the running program was disturbed";

    EXPECT_EQ(ReadFile(program_ + "readme.txt"), kReadme);
    EXPECT_EQ(ReadFile(program_ + "share/extra/data.bin"), DataBin());
    EXPECT_FALSE(plat::FileExists(UpdateFolder() + TNUpdate::kListFileName));
}

TEST_F(UpdateTest, TheStripShowsTheReadyMessageEvenIfAnEarlierOneGoesBeforeTheHandOff)
{
    OfferBothFiles();
    g.InfoMessages.Add("older", "", false, 0, 50);
    bool result = false;
    std::thread([&] { result = g.AutomatickaAktualizace(); }).join();
    ASSERT_TRUE(result);
    // The user closes the older message before the posted call runs.
    ASSERT_TRUE(g.InfoMessages.RemoveAt(g.InfoMessages.Find(50)));
    Pump();

    ASSERT_EQ(windows.InfoStrips, 1);
    TNInfoMessage shown;
    ASSERT_TRUE(g.InfoMessages.Get(windows.LastInfoStripTag, shown));
    EXPECT_EQ(shown.ID, 6);
}

TEST_F(UpdateTest, ResumesFromTheBytesOnDiskAndRepairsWhatDoesNotFit)
{
    OfferBothFiles();
    // A later check of the same run keeps what is on disk: the list of an
    // earlier check, half of data.bin, and a readme.txt longer than the
    // service's file.
    AutoUpdate.cleanUpdateFolder = 0;
    TNUpdate earlier;
    earlier.Version = kNewVersion;
    earlier.PozadavekAktualizace = 1;
    earlier.FileList.Set("readme.txt;data.bin;");
    earlier.FolderList.Set("?;share/extra;");
    ASSERT_TRUE(earlier.ParseLists());
    earlier.Items[0]->Velikost = 10;
    earlier.Items[1]->Velikost = 600000;
    ASSERT_TRUE(earlier.Save());
    const std::string data = DataBin();
    WriteFile(Staged("data.bin"), data.substr(0, 250000));
    WriteFile(Staged("readme.txt"), kReadme + "garbage");
    // Says it is finished, but leaves the file short.
    updates_.ArmShortChunk("data.bin", 250000, 1000);

    ASSERT_TRUE(CheckOnThread());

    EXPECT_EQ(FromsOf("readme.txt"), (std::vector<size_t>{0}));
    EXPECT_EQ(FromsOf("data.bin"), (std::vector<size_t>{250000, 251000, 501000}));
    EXPECT_EQ(ReadFile(Staged("data.bin")), data);
    EXPECT_EQ(ReadFile(Staged("readme.txt")), kReadme);
    EXPECT_EQ(LogLinesContaining("local file larger than FileSize"), 1);
}

TEST_F(UpdateTest, AFileLargerThanTheServiceSaysIsDownloadedAgain)
{
    // The service announces the size only in its answers; the first one
    // finds the file too long.
    updates_.SetNewestVersion(kNewVersion);
    updates_.AddFile("readme.txt", "?", kReadme);
    AutoUpdate.cleanUpdateFolder = 0;
    WriteFile(Staged("readme.txt"), "0123456");
    updates_.SetFileSizeText("readme.txt", "5");

    std::thread check([&] { g.AutomatickaAktualizace(); });
    ASSERT_TRUE(PumpUntil([&] { return FromsOf("readme.txt").size() >= 2; }));
    AutoUpdate.StopDownloads();
    check.join();
    EXPECT_EQ(FromsOf("readme.txt")[0], 7u);
    EXPECT_EQ(FromsOf("readme.txt")[1], 0u);
}

TEST_F(UpdateTest, AnErrorCodeInTheCheckIsShownAndChangesNothing)
{
    OfferBothFiles();
    updates_.SetCheckError("Aktualizace není k dispozici");

    EXPECT_FALSE(CheckOnThread());

    ASSERT_EQ(windows.Boxes.size(), 1u);
    EXPECT_EQ(windows.Boxes[0], std::make_pair(std::string("Aktualizace není k dispozici"),
                                               std::string("Chyba Automatické aktualizace")));
    EXPECT_TRUE(updates_.Downloads().empty());
    EXPECT_EQ(AutoUpdate.Version, 0);
    EXPECT_EQ(g.WantUpdate, 0);
    EXPECT_FALSE(plat::FileExists(UpdateFolder() + TNUpdate::kListFileName));
}

TEST_F(UpdateTest, FailedChunksAreRetriedAtTheSameOffsetWithGrowingPauses)
{
    OfferBothFiles();
    updates_.ArmChunkError("data.bin", 250000, 3);
    std::mutex mutex;
    std::vector<std::pair<size_t, int64_t>> seen;
    updates_.OnDownload([&](const std::string& file, size_t from) {
        std::lock_guard<std::mutex> lock(mutex);
        if (file == "data.bin")
            seen.emplace_back(from, clock_.MonotonicMilliseconds());
    });

    ASSERT_TRUE(CheckOnThread());

    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_EQ(seen.size(), 6u);
    const int64_t expected[] = {1500, 1500, 3000, 6000};
    for (size_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(seen[i].first, 250000u);
        int64_t gap = seen[i].second - seen[i - 1].second;
        EXPECT_GE(gap, expected[i - 1]) << "attempt " << i;
        // Below the next, doubled pause: a loaded machine adds real time to
        // every gap, so a tighter bound only measures the machine.
        EXPECT_LT(gap, 2 * expected[i - 1]) << "attempt " << i;
    }
    EXPECT_EQ(seen[5].first, 500000u);
    EXPECT_EQ(windows.Notices, 3);
    EXPECT_EQ(ReadFile(Staged("data.bin")), DataBin());
}

TEST_F(UpdateTest, AStopEndsAPauseAtOnceAndLeavesTheFileUnfinished)
{
    OfferBothFiles();
    updates_.ArmChunkError("readme.txt", 0, 1000);
    std::atomic<bool> result{true};
    std::thread check([&] { result = g.AutomatickaAktualizace(); });
    ASSERT_TRUE(PumpUntil([&] { return FromsOf("readme.txt").size() >= 2; }));
    // The back-off now waits 3 s of the clock, which stands still without
    // the ticker: only the stop can end it.
    ticker_.reset();
    AutoUpdate.StopDownloads();
    check.join();
    EXPECT_FALSE(result);
    auto list = ListOnDisk();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Items[0]->Stazeno, 0);
    EXPECT_EQ(list->ProvestAktualizaci, 0);
}

TEST_F(UpdateTest, AFileSizeThatIsNoNumberFailsTheAttempt)
{
    OfferBothFiles();
    updates_.SetFileSizeText("readme.txt", "12a");
    std::thread check([&] { g.AutomatickaAktualizace(); });
    ASSERT_TRUE(PumpUntil([&] { return FromsOf("readme.txt").size() >= 2; }));
    AutoUpdate.StopDownloads();
    check.join();
    EXPECT_EQ(FromsOf("readme.txt"), (std::vector<size_t>{0, 0}));
    EXPECT_FALSE(plat::FileExists(Staged("readme.txt")));
    EXPECT_GE(LogLinesContaining("FileSize is no number"), 1);
}

TEST_F(UpdateTest, ListsThatBreakTheRulesAreRefusedWhole)
{
    struct Case {
        std::string Files;
        std::string Folders;
        int Count; // -1: refused
    };
    const Case cases[] = {
        {"../x;", "?;", -1},
        {"/x;", "?;", -1},
        {"a\\b;", "?;", -1},
        {";", "?;", -1},
        {".;", "?;", -1},
        {"..;", "?;", -1},
        {"a:b;", "?;", -1},
        {"a]b;", "?;", -1},
        {std::string("a\x01;"), "?;", -1},
        {std::string(1024, 'n') + ";", "?;", -1},
        {"ok;", "../up;", -1},
        {"ok;", "/abs;", -1},
        {"ok;", "a//b;", -1},
        {"ok;", "a/./b;", -1},
        {"ok;", "a/;", -1},
        {"ok;", "a\\..\\b;", -1},
        {"ok;", ";", -1},
        {"ok;twice;ok;", "?;?;?;", -1},
        {"ok;other;", "?;", -1},
        {"", "", -1},
        {std::string(1023, 'n') + ";", "?;", 1},
        {"ok;other;", "?;share/extra;", 2},
        {"a;b", "?;?;", 1},
        {"ok;", "?;spare;", 1},
    };
    for (const Case& c : cases) {
        TNUpdate list;
        list.FileList.Set(c.Files);
        list.FolderList.Set(c.Folders);
        bool taken = list.ParseLists();
        EXPECT_EQ(taken ? list.Count() : -1, c.Count) << c.Files << " | " << c.Folders;
    }

    TNUpdate list;
    list.FileList.Set("a;b");
    list.FolderList.Set("?;spare;");
    int before = LogLinesContaining("folder entries without a file");
    ASSERT_TRUE(list.ParseLists());
    EXPECT_EQ(list.Items[0]->Nazev.View(), "a");
    EXPECT_EQ(list.Items[0]->Slozka.View(), "?");
    EXPECT_EQ(LogLinesContaining("folder entries without a file"), before + 1);

    // Through the service: nothing is downloaded, nothing is kept.
    updates_.SetNewestVersion(kNewVersion);
    updates_.SetRawLists("readme.txt;../evil;", "?;?;");
    EXPECT_FALSE(CheckOnThread());
    EXPECT_TRUE(updates_.Downloads().empty());
    EXPECT_EQ(AutoUpdate.Count(), 0);
    EXPECT_EQ(AutoUpdate.Version, 0);
    EXPECT_GE(LogLinesContaining("the update list is refused"), 1);
}

TEST_F(UpdateTest, UpdateDatMatchesItsGoldenFileAndLoadsBack)
{
    TNUpdate state;
    state.Version = kNewVersion;
    state.PozadavekAktualizace = 1;
    state.Adresa.Set("NepouzitePoleAdresa");
    state.FileList.Set("readme.txt;data.bin;");
    state.FolderList.Set("?;share/extra;");
    ASSERT_TRUE(state.ParseLists());
    state.Items[0]->Stazeno = 1;
    state.Items[0]->Velikost = 10;
    state.Items[0]->StazenoBytu = 10;
    state.Items[1]->Velikost = 600000;
    state.Items[1]->StazenoBytu = 250000;
    ASSERT_TRUE(state.Save());

    const std::string golden = testing_support::ReadFixture("update.dat");
    EXPECT_EQ(ReadFile(UpdateFolder() + TNUpdate::kListFileName), golden);

    TNUpdate loaded;
    ASSERT_TRUE(loaded.Load());
    EXPECT_EQ(loaded.Serialize(), golden);
    EXPECT_EQ(loaded.Items[1]->Slozka.View(), "share/extra");

    // Another header id, a cut file or a path outside the folders: ignored.
    std::string foreign = golden;
    foreign[2] = 'X';
    std::string escaping = golden;
    escaping.replace(escaping.rfind(std::string("\x8D\x9A\x9E\x9B", 4)), 4, std::string("\xD1\xD1\xD0\x87", 4));
    for (const std::string& bytes : {foreign, golden.substr(0, golden.size() - 3), escaping}) {
        WriteFile(UpdateFolder() + TNUpdate::kListFileName, bytes);
        TNUpdate other;
        other.Version = 5;
        EXPECT_FALSE(other.Load());
        EXPECT_EQ(other.Version, 5);
    }
}

TEST_F(UpdateTest, PlainHttpIsUsedOnlyOnLoopback)
{
    OfferBothFiles();
    std::snprintf(App.UpdateCheckUrl, sizeof(App.UpdateCheckUrl), "http://update.dalmora.example/api/get-update.php");
    EXPECT_FALSE(CheckOnThread());
    EXPECT_FALSE(CheckOnThread());
    EXPECT_EQ(updates_.CheckCount(), 0);
    EXPECT_EQ(LogLinesContaining("fetched only over https"), 1);

    test_service::Options tls;
    tls.Tls = true;
    test_service::TestService secure(tls);
    ASSERT_TRUE(secure.Start());
    test_service::UpdateService secureUpdates(secure);
    secureUpdates.SetNewestVersion(kNewVersion);
    secureUpdates.AddFile("readme.txt", "?", kReadme);
    ScopedTransportConfig withCa(ShortTimeouts(secure.CaFile()));
    PointUpdateServiceAt("https", secure.Port());
    EXPECT_TRUE(CheckOnThread());
    EXPECT_EQ(secureUpdates.CheckCount(), 1);
    EXPECT_EQ(ReadFile(Staged("readme.txt")), kReadme);
    EXPECT_TRUE(secure.Violations().empty());
}

TEST_F(UpdateTest, AnnouncedVersionsStartOneThreadEach)
{
    OfferBothFiles();
    BeginAutoUpdate(kNewVersion);
    BeginAutoUpdate(kNewVersion);
    BeginAutoUpdate(App.VersionNumber);
    ASSERT_TRUE(PumpUntil([] { return !AutoUpdateThreadRunning(); }, 10000));
    EXPECT_EQ(updates_.CheckCount(), 1);
    EXPECT_EQ(g.WantUpdate, 1);

    updates_.SetNewestVersion(kNewVersion + 1);
    BeginAutoUpdate(kNewVersion + 1);
    ASSERT_TRUE(PumpUntil([] { return !AutoUpdateThreadRunning(); }, 10000));
    EXPECT_EQ(updates_.CheckCount(), 2);
    EXPECT_TRUE(windows.Boxes.empty());
    EXPECT_EQ(g.InfoMessages.Count(), 1);
}

TEST_F(UpdateTest, TheCloseStopsAStalledDownloadAndInstallsNothing)
{
    OfferBothFiles();
    service_.ArmFault(test_service::UpdateService::kDownloadPath, test_service::Fault::Stall(0), test_service::kAlways);
    BeginAutoUpdate(kNewVersion);
    ASSERT_TRUE(PumpUntil([] { return AutoUpdate.runningStahniSoubor != 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    auto closing = std::chrono::steady_clock::now();
    StopAutoUpdateForClose();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(5));
    EXPECT_FALSE(AutoUpdateThreadRunning());
    EXPECT_EQ(AutoUpdate.DoNotUpdate, 1);
    EXPECT_FALSE(CompleteAutoUpdateAtClose());
    EXPECT_TRUE(std::filesystem::is_empty(program_));
    EXPECT_EQ(LogLinesContaining("preventing autoupdate"), 1);
    service_.DisarmFaults();
}

TEST_F(UpdateTest, ALogOutDoesNotWaitForADownload)
{
    OfferBothFiles();
    service_.ArmFault(test_service::UpdateService::kDownloadPath, test_service::Fault::Stall(0), test_service::kAlways);
    BeginAutoUpdate(kNewVersion);
    ASSERT_TRUE(PumpUntil([] { return AutoUpdate.runningStahniSoubor != 0; }));

    WindowState.SetActivePage("Dnes");
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(g.OdhlasUzivatele(false));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
    EXPECT_TRUE(AutoUpdateThreadRunning());
    EXPECT_EQ(LogLinesContaining("The online thread or a job still runs"), 0);
    service_.DisarmFaults();
}

TEST_F(UpdateTest, AnUnwritableProgramFolderKeepsTheUpdateStaged)
{
    OfferBothFiles();
    ASSERT_TRUE(CheckOnThread());
    ASSERT_EQ(::chmod(program_.c_str(), 0555), 0);
    // Root writes anywhere: complete as another user then, with the data
    // folders open to it.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        std::filesystem::permissions(Root(), std::filesystem::perms::all, std::filesystem::perm_options::add);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Root()))
            if (entry.path().string() + "/" != program_)
                std::filesystem::permissions(entry.path(), std::filesystem::perms::all,
                                             std::filesystem::perm_options::add);
        ::setfsuid(65534);
    }
    bool completed = CompleteAutoUpdateAtClose();
    if (asRoot)
        ::setfsuid(0);
    ::chmod(program_.c_str(), 0755);

    EXPECT_FALSE(completed);
    EXPECT_TRUE(std::filesystem::is_empty(program_));
    EXPECT_EQ(ReadFile(Staged("data.bin")), DataBin());
    EXPECT_TRUE(plat::FileExists(UpdateFolder() + TNUpdate::kListFileName));
    std::string versionFolder = UpdateFolder() + std::to_string(kNewVersion) + "/";
    EXPECT_EQ(LogLinesContaining("the program folder " + program_ + " can't be written; the update stays in " +
                                 versionFolder),
              1);
}

TEST_F(UpdateTest, AnUpdateClosesTheProgramOnlyWhereItCanBeInstalled)
{
    struct Case {
        const char* name;
        const char* page;
        bool writable;
        bool closes;
    };
    const Case cases[] = {
        {"login page, writable folder", "Login", true, true},
        {"signed in, writable folder", "Dnes", true, false},
        {"login page, read-only folder", "Login", false, false},
        {"signed in, read-only folder", "Dnes", false, false},
    };
    OfferBothFiles();
    // A folder below a file: not even root can write there.
    WriteFile(Root() + "/file", "");
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        AutoUpdate.ResetRun();
        g.WantUpdate = 0;
        g.CloseForUpdate = 0;
        c.ExitAllowed = 0;
        c.RealExit = 0;
        g.InfoMessages.Clear();
        windows = WindowRecord{};
        Dirs.AppDir.Set(row.writable ? program_.c_str() : (Root() + "/file/program/").c_str());
        WindowState.SetActivePage(row.page);
        const int checksBefore = updates_.CheckCount();

        EXPECT_EQ(CheckOnThread(), row.writable);
        EXPECT_EQ(g.WantUpdate, row.writable ? 1 : 0);
        EXPECT_EQ(c.ExitAllowed, row.writable ? 1 : 0);
        EXPECT_EQ(g.CloseForUpdate, row.closes ? 1 : 0) << "closed to be started again, installed";
        if (row.writable)
            continue;
        // Said once, and not tried again in this run.
        EXPECT_EQ(windows.InfoStrips, 1);
        ASSERT_EQ(g.InfoMessages.Count(), 1);
        TNInfoMessage message;
        ASSERT_TRUE(g.InfoMessages.Get(0, message));
        EXPECT_EQ(std::string(message.Title.View()), "Aktualizaci programu nelze nainstalovat");
        EXPECT_FALSE(CheckOnThread());
        BeginAutoUpdate(kNewVersion + 1);
        EXPECT_TRUE(PumpUntil([] { return !AutoUpdateThreadRunning(); }));
        EXPECT_EQ(updates_.CheckCount(), checksBefore + 1);
        EXPECT_EQ(windows.InfoStrips, 1);
    }
    Dirs.AppDir.Set(program_.c_str());
}

TEST_F(UpdateTest, AnInstallerIsNeverRun)
{
    updates_.SetNewestVersion(kNewVersion);
    updates_.AddFile("update.exe", "?", "MZ installer");
    // Nothing can install it: the program is not closed for it.
    EXPECT_FALSE(CheckOnThread());
    EXPECT_EQ(g.WantUpdate, 0);
    EXPECT_EQ(AutoUpdate.InstallBlocked, 1);
    StopAutoUpdateForClose();
    EXPECT_TRUE(CompleteAutoUpdateAtClose());
    EXPECT_TRUE(std::filesystem::is_empty(program_));
    EXPECT_EQ(ReadFile(Staged("update.exe")), "MZ installer");
    EXPECT_EQ(LogLinesContaining("update.exe is an installer and is not run"), 1);
}

TEST_F(UpdateTest, AVersionAnnouncedByTheAccountServiceIsInstalledWhenTheRunEnds)
{
    OfferBothFiles();
    accounts_.SetNewestVersion(kNewVersion);
    OnlineHooks.BeginAutoUpdate = nullptr;
    {
        TNHeadlessHost host;
        ASSERT_TRUE(g.Sync2CheckInstID());
        ASSERT_TRUE(PumpUntil([] { return g.WantUpdate != 0 && !AutoUpdateThreadRunning(); }, 10000));
        // Announced again: no second check.
        g.InstIdConfirmed = 0;
        ASSERT_TRUE(g.Sync2CheckInstID());
        Pump();
        EXPECT_EQ(updates_.CheckCount(), 1);
        EXPECT_EQ(FromsOf("data.bin"), (std::vector<size_t>{0, 250000, 500000}));
        EXPECT_FALSE(plat::FileExists(program_ + "readme.txt"));
    }
    EXPECT_EQ(ReadFile(program_ + "readme.txt"), kReadme);
    EXPECT_EQ(ReadFile(program_ + "share/extra/data.bin"), DataBin());
    EXPECT_FALSE(plat::FileExists(UpdateFolder() + TNUpdate::kListFileName));
}

// A symbolic link in the program folder, or the folder itself a link, that
// points outside: the install writes nothing through it, ends as failed, and
// the update stays staged.
TEST_F(UpdateTest, NothingIsWrittenThroughALinkInTheProgramFolder)
{
    OfferBothFiles();
    ASSERT_TRUE(CheckOnThread());
    StopAutoUpdateForClose();
    const std::string outside = Root() + "/outside/";
    struct Case {
        const char* name;
        std::function<void()> plant;
    };
    const Case cases[] = {
        {"a file linked outside",
         [&] { std::filesystem::create_symlink(outside + "readme.txt", program_ + "readme.txt"); }},
        {"a folder on the way linked outside",
         [&] { std::filesystem::create_directory_symlink(outside, program_ + "share"); }},
        {"the target's folder linked outside",
         [&] {
             std::filesystem::create_directories(program_ + "share");
             std::filesystem::create_directory_symlink(outside, program_ + "share/extra");
         }},
        {"the program folder a link",
         [&] {
             std::filesystem::remove_all(program_);
             std::filesystem::create_directory_symlink(outside, Root() + "/program");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(outside);
        std::filesystem::remove_all(Root() + "/program");
        ASSERT_TRUE(plat::CreateFolders(program_));
        WriteFile(outside + "readme.txt", "outside");
        c.plant();

        EXPECT_FALSE(CompleteAutoUpdateAtClose());

        std::vector<std::string> after;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(outside))
            after.push_back(entry.path().string().substr(outside.size()));
        EXPECT_EQ(after, std::vector<std::string>{"readme.txt"}) << "nothing new outside";
        EXPECT_EQ(ReadFile(outside + "readme.txt"), "outside");
        EXPECT_TRUE(plat::FileExists(UpdateFolder() + TNUpdate::kListFileName));
        EXPECT_EQ(ReadFile(Staged("data.bin")), DataBin());
    }
}

} // namespace
} // namespace online_test
