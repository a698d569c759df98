#pragma once

// The pages' test fixture: the shell fixture's window made with the pages
// the program uses (TNWindowPages, or a test's subclass), a data set at
// PIM[0] on the real model (and PIM[1] where a case needs two accounts),
// the clock standing at 11 March 2025 10:00 in Prague, the universal
// dialog's openings recorded and scripted, the desktop's openings recorded,
// and the pages' jobs recorded (or run at once on this thread).

#include "mainwindow/main_window.h"
#include "mainwindow/window_pages.h"
#include "model/record.h"
#include "platform/testing/fake_clock.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/shell_recorders.h"
#include "tests/model/model_test_support.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TNPIM;
class TNPIMOrganizer;

namespace shell_test {

// A record as the pages' tests describe it.
struct RecordShape {
    uint32_t ID = 0;
    int32_t Type = rtTask;
    uint32_t OrganizerID = 0;
    // The begin (year 0: none) at that hour, one hour long.
    int32_t Year = 2025;
    int32_t Month = 3;
    int32_t Day = 10;
    int32_t Hour = 10;
    const char* Text = "Porada týmu";
};

// The program's pages, recording the entries the pages' tests watch (each
// still runs as TNWindowPages has it); a name in ThrowOn makes that entry
// throw after it is recorded.
class WatchingPages : public TNWindowPages {
public:
    std::vector<std::string> Calls;
    std::string ThrowOn;

    int Count(const std::string& call) const;

    void OpenSideboard(uint32_t id, int32_t pimSrvPos, bool slideIn) override;
    void ShowSelectedNote(uint32_t id, int32_t pimSrvPos, uint32_t filterId, bool saveFirst) override;
    void ResizeHpTasks() override;
    void ResizeTasksComponents(int32_t flag) override;
    void OrganizerRecordChanged(uint32_t organizerId) override;
    using TNWindowPages::Pages_ShowCalendarOrPage;
    bool Pages_ShowCalendarOrPage(int32_t pimSrvPos, uint32_t organizerId) override;
    void RunCommand(TNPageCommand command) override;

private:
    void Note(const std::string& call);
};

class PagesTest : public ShellTest {
protected:
    // 11 March 2025 10:00 in Prague.
    static constexpr int64_t kNow = 1741683600;
    static constexpr uint32_t kUserID = 77;
    // The user's own calendar in each account.
    static constexpr uint32_t kOrganizerID = 500;

    void SetUp() override;
    void TearDown() override;

    // The pages the window is made with; a test's fixture overrides it.
    virtual std::unique_ptr<TNWindowPages> NewPages() { return std::make_unique<WatchingPages>(); }
    // The window's pages when they are the fixture's own.
    WatchingPages& Watched() { return dynamic_cast<WatchingPages&>(Main().Pages()); }

    // The second account at PIM[1], with the user's own calendar.
    TNPIM& SecondAccount();
    TNPIM& Account(int32_t position);
    TNPIMOrganizer& AddOrganizer(TNPIM& set, uint32_t id, uint32_t origin = 1, uint32_t subscribe = 0);
    // The record filed under its days and given its yearly copies, as a
    // download leaves it; its position. The save queue is left empty.
    int32_t AddRecord(TNPIM& set, const RecordShape& shape);
    TNPIMRecord& RecordAt(TNPIM& set, int32_t position);
    // Every save-queue entry not saved yet, as (type, id, position, retype).
    struct QueueEntry {
        uint8_t Type = 0;
        uint32_t ID = 0;
        int32_t Position = -1;
        uint8_t Retype = 0;
    };
    std::vector<QueueEntry> QueuedItems();
    void ForgetQueue();
    // The UI-update tags queued since the last call, oldest first.
    std::vector<int16_t> TakeUiTags();

    std::unique_ptr<model_test::DataSet> data_;
    std::unique_ptr<plat::testing::ScopedFakeClock> clock_;
    std::unique_ptr<model_test::ActiveUser> user_;
    BridgeRecorder bridge_;
    ShellRecorder shell_;
    // The jobs the pages started; with runJobsInline each also runs here.
    std::vector<TNPageJob> jobs_;
    bool runJobsInline_ = false;
};

} // namespace shell_test
