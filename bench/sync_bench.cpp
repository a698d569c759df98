// The synchronisation against the in-process test service on loopback.
//
// SyncPIM: one block of 1,000 and of 10,000 records of about 1.5 KB into an
// empty data set. Goal: 10,000 in under 2 s, the time per record at 10,000
// within 1.5 times that at 1,000.
//
// Drain: 10,000 new records go up, one per pass, through the real pass and
// transport, the fast-pass delay set to 0. Goal: at least 300 items a
// second, the last 1,000 no slower than 1.5 times the first 1,000.

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/headless_host.h"
#include "online/transport.h"
#include "platform/core/headless_loop.h"
#include "platform/core/main_loop.h"
#include "platform/core/thread.h"
#include "tests/service/account_service.h"
#include "tests/service/sync_service.h"
#include "tests/service/test_service.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Fresh globals with one server at the service; once per process.
void Globals(const std::string& apiDomain)
{
    static bool installed = [] {
        char pattern[] = "/tmp/sync-bench-XXXXXX";
        static const std::string root = mkdtemp(pattern);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(root, ignored);
        });
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        InitTransport();
        InstallPIMFactory();
        InstallOnlineGlobals();
        return true;
    }();
    (void)installed;
    DestroyGlobals();
    ConstructGlobals();
    App.PimServersCount = 1;
    std::snprintf(App.ApiProtocol[0], sizeof(App.ApiProtocol[0]), "http");
    std::snprintf(App.ApiDomain[0], sizeof(App.ApiDomain[0]), "%s", apiDomain.c_str());
    std::snprintf(App.WebDomain[0], sizeof(App.WebDomain[0]), "127.0.0.1");
    BuildServerAddresses(App);
    c.ResizePIM();
    Dirs.ProducerDirName.Set(App.DirProducer);
    Dirs.ProductDirName.Set(App.DirName);
}

std::string RecordBlock(int count)
{
    std::string note(1200, 'n');
    std::string block = "<Records>";
    for (int i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        block += "<" + n + "><ID>" + std::to_string(100000 + i) + "</ID><Created>" + std::to_string(1000 + i) +
                 "</Created><Changed>" + std::to_string(1000 + i) +
                 "</Changed><Deleted>0</Deleted><OrganizerID>501</OrganizerID><Type>3</Type><Text>Z&#225;znam " + n +
                 "</Text><HasBegin>1</HasBegin><DateBegin>2026-12-14</DateBegin><TimeBegin>10:00:00</TimeBegin>"
                 "<Note>" +
                 note + "</Note><Settings>{}</Settings></" + n + ">";
    }
    return block + "</Records>";
}

void BM_SyncPIM(benchmark::State& state)
{
    auto count = static_cast<int>(state.range(0));
    TNString block(RecordBlock(count).c_str());
    TNString organizer(
        "<ID>501</ID><Origin>1</Origin><Subscribe>1</Subscribe><Changed>1</Changed><Deleted>0</Deleted>");
    for (auto _ : state) {
        state.PauseTiming();
        Globals("127.0.0.1/index.php");
        PIM[0]->Organizers.Add(&organizer, false);
        g.ArrayLimit = count + 1;
        state.ResumeTiming();
        bool changed = false;
        g.SyncPIM(&block, 1, &changed);
        if (PIM[0]->Records->Count != count)
            state.SkipWithError("records missing");
    }
    state.counters["us_per_record"] = benchmark::Counter(
        static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert,
        benchmark::Counter::kIs1000);
}
BENCHMARK(BM_SyncPIM)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DrainNewRecords(benchmark::State& state)
{
    const auto kRecords = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        test_service::TestService service;
        test_service::AccountService accounts(service);
        test_service::SyncService sync(accounts);
        service.Start();
        test_service::Account alice;
        alice.UserID = 1001;
        alice.Password = "heslo";
        alice.UserName = "alice";
        alice.Email = "alice@example.test";
        alice.MainOrganizer = 501;
        accounts.AddAccount(alice);
        sync.AddOrganizer(501, 1001, 1, 1, "Alice");
        Globals("127.0.0.1:" + std::to_string(service.Port()) + "/index.php");
        plat::HeadlessMainLoop loop;
        plat::SetMainLoop(&loop);
        {
            TNHeadlessHost host;
            g.FastPassDelayMs = 0;
            host.SignIn("alice@example.test", "heslo");
            auto pump = [&](auto done) {
                while (!done()) {
                    bool worked = loop.RunPendingTasks() > 0;
                    worked = host.FireDueOnlineTimer() || worked;
                    if (!worked)
                        std::this_thread::sleep_for(std::chrono::microseconds(200));
                }
            };
            pump(
                [] { return g.UserLoginStatus == 1 && g.OnlineThreadRunning == 0 && plat::RunningThreadCount() == 0; });
            {
                TNModelWriteGuard lock;
                TNPIMRecords& records = *PIM[0]->Records;
                for (int i = 0; i < kRecords; ++i) {
                    uint32_t id = records.GetNextID();
                    records.Resize(records.Count + 1);
                    int32_t pos = records.Count - 1;
                    TNPIMRecord& record = *records.Items[pos];
                    record.ID = id;
                    record.OrganizerID = 501;
                    record.Type = 2;
                    record.Text.Set(("Nov\xFD " + std::to_string(i)).c_str());
                    record.PleaseSync = true;
                    records.NoteIDChanged(pos);
                }
            }
            auto uploaded = [] { return g.SyncCounters.Uploaded[1].load(); };
            int32_t base = uploaded();
            Clock::time_point start = Clock::now();
            g.FastSync("bench");
            pump([&] { return uploaded() - base >= 1000; });
            double first = std::chrono::duration<double>(Clock::now() - start).count();
            pump([&] { return uploaded() - base >= kRecords - 1000; });
            Clock::time_point lastStart = Clock::now();
            pump([&] { return uploaded() - base >= kRecords; });
            Clock::time_point end = Clock::now();
            double last = std::chrono::duration<double>(end - lastStart).count();
            double all = std::chrono::duration<double>(end - start).count();
            state.counters["items_per_s"] = kRecords / all;
            state.counters["last_to_first_1000"] = last / first;
            g.Close = 1;
            plat::WaitForRunningThreads(10000);
            loop.RunPendingTasks();
        }
        plat::SetMainLoop(nullptr);
        service.Stop();
    }
}
BENCHMARK(BM_DrainNewRecords)->Arg(10000)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
