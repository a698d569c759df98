#include "tests/mainwindow/pages_fixture.h"

#include "foundation/app_info.h"
#include "foundation/pim_array.h"
#include "foundation/record_file_set.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "online/login.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace shell_test {

namespace {

// Runs a job's body on the calling thread.
class InlineJob final : public TLogin {
public:
    using TLogin::RunJob;
};

void DestroyPIM(TNPIM* pim)
{
    delete pim;
}

} // namespace

int WatchingPages::Count(const std::string& call) const
{
    return static_cast<int>(std::count(Calls.begin(), Calls.end(), call));
}

void WatchingPages::Note(const std::string& call)
{
    Calls.push_back(call);
    if (!ThrowOn.empty() && call.rfind(ThrowOn, 0) == 0)
        throw std::runtime_error("page entry failed: " + call);
}

void WatchingPages::OpenSideboard(uint32_t id, int32_t pimSrvPos, bool slideIn)
{
    Note("OpenSideboard " + std::to_string(id) + " " + std::to_string(pimSrvPos) + (slideIn ? " slide" : ""));
    TNWindowPages::OpenSideboard(id, pimSrvPos, slideIn);
}

void WatchingPages::ShowSelectedNote(uint32_t id, int32_t pimSrvPos, uint32_t filterId, bool saveFirst)
{
    Note("ShowSelectedNote " + std::to_string(id) + " " + std::to_string(pimSrvPos));
    TNWindowPages::ShowSelectedNote(id, pimSrvPos, filterId, saveFirst);
}

void WatchingPages::ResizeHpTasks()
{
    Note("ResizeHpTasks");
    TNWindowPages::ResizeHpTasks();
}

void WatchingPages::ResizeTasksComponents(int32_t flag)
{
    Note("ResizeTasksComponents");
    TNWindowPages::ResizeTasksComponents(flag);
}

void WatchingPages::OrganizerRecordChanged(uint32_t organizerId)
{
    Note("OrganizerRecordChanged " + std::to_string(organizerId));
    TNWindowPages::OrganizerRecordChanged(organizerId);
}

bool WatchingPages::Pages_ShowCalendarOrPage(int32_t pimSrvPos, uint32_t organizerId)
{
    Note("Pages_ShowCalendarOrPage " + std::to_string(pimSrvPos) + " " + std::to_string(organizerId));
    return TNWindowPages::Pages_ShowCalendarOrPage(pimSrvPos, organizerId);
}

void WatchingPages::RunCommand(TNPageCommand command)
{
    Note(PageCommandName(command));
    TNWindowPages::RunCommand(command);
}

void PagesTest::SetUp()
{
    ShellTest::SetUp();
    clock_ = std::make_unique<plat::testing::ScopedFakeClock>(kNow);
    data_ = std::make_unique<model_test::DataSet>();
    user_ = std::make_unique<model_test::ActiveUser>(kUserID);
    Account(0).UserID = kUserID;
    AddOrganizer(Account(0), kOrganizerID);
    ForgetQueue();
    g.uiTags.Clear();
    g.pleaseSavePIM = 0;
    g.someRecordChangedSoUpdateViews = 0;
    g.runningChangedRecordSaveSequence = 0;
    g.UiUpdateIsRunning = 0;
    g.SetNotifyConstantlyRecord(nullptr);
    MakeMainWindow(NewPages());
    Main().StartPageJob = [this](const TNPageJob& job) {
        jobs_.push_back(job);
        if (!runJobsInline_)
            return;
        InlineJob body;
        body.Tag = job.Tag;
        body.RecordID = job.RecordID;
        body.Value = job.Value;
        body.pim_srv_pos = job.pim_srv_pos;
        body.OrganizerID = job.OrganizerID;
        body.RunJob();
    };
}

void PagesTest::TearDown()
{
    ShellTest::TearDown();
    user_.reset();
    data_.reset();
    PIM.Clear(DestroyPIM);
    App.PimServersCount = 1;
    g.uiTags.Clear();
    clock_.reset();
}

TNPIM& PagesTest::SecondAccount()
{
    if (PIM[1] == nullptr) {
        auto* second = new TNPIM(1);
        EXPECT_TRUE(PIM.Append(second));
        second->UserID = kUserID;
        App.PimServersCount = 2;
        AddOrganizer(*second, kOrganizerID);
    }
    return *PIM[1];
}

TNPIM& PagesTest::Account(int32_t position)
{
    return *PIM[position];
}

TNPIMOrganizer& PagesTest::AddOrganizer(TNPIM& set, uint32_t id, uint32_t origin, uint32_t subscribe)
{
    TNPIMOrganizers& organizers = set.Organizers;
    EXPECT_TRUE(organizers.Resize(organizers.Count + 1));
    TNPIMOrganizer& organizer = *organizers.Items[organizers.Count - 1];
    organizer.ID = id;
    organizer.pim_srv_pos = set.pimSrvPos;
    organizer.UserID = kUserID;
    organizer.Origin = origin;
    organizer.Subscribe = subscribe;
    return organizer;
}

int32_t PagesTest::AddRecord(TNPIM& set, const RecordShape& shape)
{
    TNPIMRecords& records = *set.Records;
    EXPECT_TRUE(records.Resize(records.Count + 1));
    const int32_t pos = records.Count - 1;
    TNPIMRecord& record = *records.Items[pos];
    record.ID = shape.ID;
    record.Type = shape.Type;
    record.OrganizerID = shape.OrganizerID != 0 ? shape.OrganizerID : kOrganizerID;
    record.CreatedByUserID = kUserID;
    record.Created = static_cast<uint32_t>(kNow - 86400);
    record.Changed = record.Created;
    record.Text.Set(shape.Text);
    record.HasBegin = shape.Year != 0;
    if (record.HasBegin) {
        record.Begin.SetDate(shape.Day, shape.Month, shape.Year);
        record.Begin.NastavCas(static_cast<uint16_t>(shape.Hour), 0);
        record.HasEnd = true;
        record.End.SetDate(shape.Day, shape.Month, shape.Year);
        record.End.NastavCas(static_cast<uint16_t>(shape.Hour + 1), 0);
    }
    records.NoteIDChanged(pos);
    records.SaveOrDeleteRecordByPos(pos, false);
    ForgetQueue();
    return pos;
}

TNPIMRecord& PagesTest::RecordAt(TNPIM& set, int32_t position)
{
    return *set.Records->Items[position];
}

std::vector<PagesTest::QueueEntry> PagesTest::QueuedItems()
{
    std::vector<QueueEntry> entries;
    TNRAFile& file = *raf.Items[static_cast<size_t>(data_->Fid())];
    for (int32_t tsp = 0; tsp < file.toSaveCount(); ++tsp) {
        TNRAFileToSave item;
        if (file.get_toSave(tsp, item) && item.saved == 0)
            entries.push_back({item.type, item.id, item.position, item.retype});
    }
    return entries;
}

void PagesTest::ForgetQueue()
{
    raf.Items[static_cast<size_t>(data_->Fid())]->resize_toSave(0);
}

std::vector<int16_t> PagesTest::TakeUiTags()
{
    std::vector<int16_t> tags;
    int16_t tag = 0;
    uint32_t param = 0;
    while (g.uiTags.Take(&tag, &param))
        tags.push_back(tag);
    return tags;
}

} // namespace shell_test
