#pragma once

// The alert-window fixture: the shell on the offscreen GUI with the manual
// clock, a data set at PIM[0] to seed alerts and records in, and the
// postpone job, the screen wake-up and the sounds recorded.

#include "tests/mainwindow/shell_fixture.h"

#include "mainwindow/not_window.h"
#include "platform/sound/recording_sink.h"
#include "platform/sound/sound_player.h"
#include "tests/model/model_test_support.h"

#include <memory>
#include <string>
#include <vector>

class TNPIMAlert;
class TNPIMRecord;

namespace shell_test {

class AlertTest : public ShellTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A record of `type` (3 event) with a begin at 9:30 on 5 March 2025.
    TNPIMRecord& AddRecord(uint32_t id, int32_t type, const char* text);
    TNPIMAlert& AddAlert(uint32_t id, uint32_t recordId, uint32_t userId = 0);
    TNPIMAlert* Alert(uint32_t id);
    // Hands an alert over as the alert display does: the pending kind and
    // id in g, then timerNot armed with Tag 1 at 1 ms.
    void HandOver(uint32_t alertId);
    // Hands over and runs the slot's layout tick.
    void Show(uint32_t alertId);
    // The slot that shows the alert, -1 when none.
    int32_t SlotOf(uint32_t alertId);
    TfrmNotDLMR1& Window(int32_t slot) { return *Main().notSlots[slot].Window; }
    // Loads the ring and info sounds from tests/mainwindow/data into the
    // main window's table, played on the recording sink.
    void LoadTestSounds();
    // Sounds the recording sink got, once the player is silent.
    std::vector<plat::RecordedSound> PlayedSounds();

    std::unique_ptr<model_test::DataSet> data_;
    std::vector<TNPostponeJob> jobs_;
    int wakes_ = 0;
    testing_support::ScratchFolder program_;
    plat::RecordingSink* sink_ = nullptr;
    std::unique_ptr<plat::SoundPlayer> player_;
};

} // namespace shell_test
