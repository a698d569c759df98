// Targets: under 10 ms a bell refresh over 10,000 new notifications (shared
// and changed records from 50 contacts, on an account of 20,000 records);
// under 100 us a layout of the header bar after a change of width.
#include "bench/window_bench_support.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/contacts.h"
#include "model/notifications.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "platform/gui/panel.h"
#include "tests/model/account_generator.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int32_t kNotifications = 10000;
constexpr int32_t kContacts = 50;

// The account with its contacts and notifications, and the main window with
// its header, once.
TfrmMainDLMR1& Main()
{
    static TfrmMainDLMR1* main = [] {
        StartWindowBenchGlobals("header-bench");
        g.emptyLoginWindowStatsSent = 1;
        auto* workspace = new model_test::AccountWorkspace();
        model_test::AccountShape shape;
        shape.organizers = 10;
        shape.records = 20000;
        shape.pendingPercent = 0;
        shape.deletedPercent = 0;
        model_test::GenerateAccount(workspace->Pim(), shape);
        TNPIM& pim = workspace->Pim();
        pim.Contacts.Resize(kContacts);
        for (int32_t i = 0; i < kContacts; ++i) {
            TNPIMContact& contact = *pim.Contacts.Items[i];
            contact.ID = contact.ContactUserID = 5000 + static_cast<uint32_t>(i);
            contact.FirstName.Set("Jan");
            contact.LastName.Set(("Novák " + std::to_string(i)).c_str());
        }
        pim.Notifications.Resize(kNotifications);
        for (int32_t i = 0; i < kNotifications; ++i) {
            TNPIMNotification& n = *pim.Notifications.Items[i];
            n.ID = 1 + static_cast<uint32_t>(i);
            n.Type = i % 2 == 0 ? 10 : 11;
            n.Settings_SenderUserID = 5000 + static_cast<uint32_t>(i % kContacts);
            n.Settings_RecordID = pim.Records->Items[i]->ID;
            n.FullName.Set("Jan Novák");
        }
        auto* window = new TfrmMainDLMR1(nullptr);
        window->SetBounds(0, 0, 1200, 800);
        window->pHeader->SetBounds(0, 0, 1200, 63);
        window->CreateHeaderComponents();
        return window;
    }();
    return *main;
}

void BM_BellRefreshOverTenThousandNotifications(benchmark::State& state)
{
    TfrmMainDLMR1& main = Main();
    for (auto _ : state)
        benchmark::DoNotOptimize(main.UpdateHeaderBell());
    state.counters["counted"] = main.UpdateHeaderBell();
}
BENCHMARK(BM_BellRefreshOverTenThousandNotifications)->Unit(benchmark::kMillisecond);

void BM_HeaderLayoutAfterAWidthChange(benchmark::State& state)
{
    TfrmMainDLMR1& main = Main();
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        main.pHeader->SetBounds(0, 0, wide ? 1200 : 800, 63);
        main.ResizeHeaderComponents();
    }
}
BENCHMARK(BM_HeaderLayoutAfterAWidthChange)->Unit(benchmark::kMicrosecond);

} // namespace
