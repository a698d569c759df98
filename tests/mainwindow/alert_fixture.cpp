#include "tests/mainwindow/alert_fixture.h"

#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "mainwindow/sound_table.h"
#include "model/alerts.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/window_state.h"
#include "platform/gui/timer.h"

#include <chrono>
#include <filesystem>

namespace shell_test {

void AlertTest::SetUp()
{
    ShellTest::SetUp();
    data_ = std::make_unique<model_test::DataSet>();
    g.AlertDisplay.Reset();
    g.updatingUiTagsNow = 0;
    ::Setup.SetValue("Settings_DefaultNotificationPostponeMinutes", 9, TNSetupItem::kInt32);
    Main().StartPostponeJob = [this](const TNPostponeJob& job) { jobs_.push_back(job); };
    Main().WakeMonitor = [this] { ++wakes_; };
    // The pool is built on timerNot's first tick.
    timers_->Advance(0);
}

void AlertTest::TearDown()
{
    if (player_)
        player_->WaitUntilSilent(std::chrono::seconds(5));
    data_.reset();
    ShellTest::TearDown();
    player_.reset();
}

TNPIMRecord& AlertTest::AddRecord(uint32_t id, int32_t type, const char* text)
{
    TNPIMRecord& record = data_->NewRecord();
    record.ID = id;
    record.Type = type;
    record.Text.Set(text);
    record.HasBegin = true;
    record.Begin.Den = 5;
    record.Begin.Mesic = 3;
    record.Begin.Rok = 2025;
    record.Begin.Hodina = 9;
    record.Begin.Minuta = 30;
    data_->Pim().Records->NoteIDChanged(data_->Pim().Records->Count - 1);
    return record;
}

TNPIMAlert& AlertTest::AddAlert(uint32_t id, uint32_t recordId, uint32_t userId)
{
    TNPIMAlerts& alerts = data_->Pim().Alerts;
    EXPECT_TRUE(alerts.Resize(alerts.Count + 1));
    TNPIMAlert& alert = *alerts.Items[alerts.Count - 1];
    alert.ID = id;
    alert.RecordID = recordId;
    alert.UserID = userId;
    alert.OrganizerID = 501;
    alert.Type = 1;
    alerts.NoteIDChanged(alerts.Count - 1);
    return alert;
}

TNPIMAlert* AlertTest::Alert(uint32_t id)
{
    const int32_t pos = data_->Pim().Alerts.GetAlertPosByID(id);
    return pos >= 0 ? data_->Pim().Alerts.Items[pos] : nullptr;
}

void AlertTest::HandOver(uint32_t alertId)
{
    g.AlertDisplay.NotAlertID = alertId;
    g.AlertDisplay.NotValue = 1;
    MainWindowHooks.ArmNotTimer(1, 1);
    timers_->Advance(0);
}

void AlertTest::Show(uint32_t alertId)
{
    HandOver(alertId);
    timers_->Advance(50);
}

int32_t AlertTest::SlotOf(uint32_t alertId)
{
    for (int32_t slot = 0; slot < TfrmMainDLMR1::kNotSlots; ++slot) {
        const auto& entry = Main().notSlots[slot];
        if (entry.Kind == 1 && entry.AlertID == alertId)
            return slot;
    }
    return -1;
}

void AlertTest::LoadTestSounds()
{
    std::filesystem::create_directories(program_.Path() + "Sounds");
    const std::string data = DALMORA_TEST_DATA_DIR;
    std::filesystem::copy_file(data + "ring.wav", program_.Path() + "Sounds/pim_alert.wav");
    std::filesystem::copy_file(data + "info.wav", program_.Path() + "Sounds/info.wav");
    auto sink = std::make_unique<plat::RecordingSink>();
    sink_ = sink.get();
    player_ = std::make_unique<plat::SoundPlayer>(std::move(sink));
    Main().Sounds->UsePlayer(*player_);
    Main().Sounds->NactiZvuky(program_.Path());
}

std::vector<plat::RecordedSound> AlertTest::PlayedSounds()
{
    EXPECT_TRUE(player_->WaitUntilSilent(std::chrono::seconds(5)));
    return sink_->Sounds();
}

} // namespace shell_test
