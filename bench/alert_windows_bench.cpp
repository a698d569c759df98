// Targets: under 2 ms handing an alert to a free alert window and laying it
// out (labels filled, text wrapped, commands placed) with 100,000 records
// and 20,000 alerts in PIM[0]; under 0.2 ms one tick of the reminder toast;
// within 50 us a PlaySoundA while another sound plays.
#include "foundation/globals.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "mainwindow/sound_table.h"
#include "model/alerts.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "platform/gui/timer.h"
#include "platform/sound/recording_sink.h"
#include "platform/sound/sound_player.h"
#include "platform/testing/gui_harness.h"
#include "platform/testing/gui_seams.h"
#include "tests/model/account_generator.h"
#include "view/view.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr int32_t kAlerts = 20000;

// The account with its alerts, and the main window with its pool, once.
TfrmMainDLMR1& Main()
{
    static TfrmMainDLMR1* main = [] {
        plat::testing::StartOffscreenGui();
        InstallOnlineGlobals();
        InstallViewGlobals();
        InstallViewHooks();
        auto* workspace = new model_test::AccountWorkspace();
        model_test::AccountShape shape;
        shape.organizers = 20;
        shape.records = 100000;
        shape.pendingPercent = 0;
        shape.deletedPercent = 0;
        model_test::GenerateAccount(workspace->Pim(), shape);
        TNPIM& pim = workspace->Pim();
        pim.Alerts.Resize(kAlerts);
        for (int32_t i = 0; i < kAlerts; ++i) {
            TNPIMAlert& alert = *pim.Alerts.Items[i];
            alert.ID = 1 + static_cast<uint32_t>(i);
            alert.RecordID = pim.Records->Items[i * 5]->ID;
            alert.Type = 1;
            pim.Alerts.NoteIDChanged(i);
        }
        new plat::testing::ManualTimers();
        auto* window = new TfrmMainDLMR1(nullptr);
        window->WakeMonitor = [] {};
        window->timerNotTimer();
        return window;
    }();
    return *main;
}

void BM_HandAlertToSlotAndLayOut(benchmark::State& state)
{
    TfrmMainDLMR1& main = Main();
    uint32_t alertId = 1;
    for (auto _ : state) {
        g.AlertDisplay.NotAlertID = alertId;
        g.AlertDisplay.NotValue = 1;
        main.timerNot->SetTag(1);
        main.timerNotTimer();
        main.nTimerTimer(0);
        state.PauseTiming();
        main.CloseNotWindow(0);
        alertId = alertId % kAlerts + 1;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HandAlertToSlotAndLayOut)->Unit(benchmark::kMicrosecond);

void BM_ToastTick(benchmark::State& state)
{
    TfrmMainDLMR1& main = Main();
    auto record = std::make_shared<TNPIMRecord>();
    record->ID = 77;
    record->Text.Set("Zaplatit nájem do konce měsíce");
    g.SetNotifyConstantlyRecord(record);
    main.timerHint->SetTag(0);
    main.timerHintTimer();
    for (auto _ : state) {
        main.timerHintTimer();
        if (main.timerHint->Tag() != 1) {
            state.PauseTiming();
            main.timerHint->SetTag(0);
            main.timerHintTimer();
            state.ResumeTiming();
        }
    }
    g.SetNotifyConstantlyRecord(nullptr);
}
BENCHMARK(BM_ToastTick)->Unit(benchmark::kMicrosecond);

void BM_PlaySoundWhileOnePlays(benchmark::State& state)
{
    const std::string folder = std::filesystem::temp_directory_path().string() + "/dalmora-alert-bench/";
    std::filesystem::create_directories(folder + "Sounds");
    std::filesystem::copy_file(std::string(DALMORA_SOUNDS_DIR) + "pcm16_mono_1s.wav", folder + "Sounds/pim_alert.wav",
                               std::filesystem::copy_options::overwrite_existing);
    auto sink = std::make_unique<plat::RecordingSink>();
    plat::RecordingSink& recorded = *sink;
    plat::SoundPlayer player(std::move(sink));
    TNSoundTable table;
    table.UsePlayer(player);
    table.NactiZvuky(folder);
    table.PlaySoundA(TNSoundTable::kAlertRing);
    // The first sound is playing before the measured plays replace it.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (auto _ : state)
        table.PlaySoundA(TNSoundTable::kAlertRing);
    player.Stop();
    player.WaitUntilSilent(std::chrono::seconds(5));
    // Sounds the player started: the one playing, which every measured play
    // replaced; the last replacement is stopped before it starts.
    state.counters["started"] = static_cast<double>(recorded.Sounds().size());
}
BENCHMARK(BM_PlaySoundWhileOnePlays)->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace
