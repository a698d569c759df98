// The search page: which list a found record goes to and how each list is
// sorted, the placeholder of an empty list, starting job 7 from the page and
// the header, and the hand-over of the job's results to the lists.

#include "mainwindow/search_page.h"

#include "foundation/pim_array.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/login.h"
#include "platform/core/main_loop.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "tests/mainwindow/pages_fixture.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// One record as the partition sees it.
std::unique_ptr<TNPIMRecord> Found(uint32_t id, int32_t type, int32_t day, int32_t hour, int32_t minute = 0,
                                   uint32_t changed = 0)
{
    auto record = std::make_unique<TNPIMRecord>();
    record->ID = id;
    record->Type = type;
    record->Changed = changed;
    record->Created = id;
    record->HasBegin = day != 0;
    if (record->HasBegin) {
        record->Begin.SetDate(day, 3, 2025);
        record->Begin.NastavCas(static_cast<uint16_t>(hour), static_cast<uint16_t>(minute));
    }
    return record;
}

std::vector<uint32_t> Ids(const TNSearchPartition& partition, TNSearchList list)
{
    std::vector<uint32_t> ids;
    for (int32_t i = 0; i < partition.Counts[list]; ++i)
        ids.push_back(partition.Lists[list].Items[static_cast<size_t>(i)]->ID);
    return ids;
}

TEST(SearchPartition, EachRecordGoesToOneListSortedAsShown)
{
    // Now is 12 March 2025 10:00.
    TNTime dayStart;
    dayStart.SetDate(12, 3, 2025);
    dayStart.NastavCas(0, 0);
    std::vector<std::unique_ptr<TNPIMRecord>> owned;
    owned.push_back(Found(1, rtEvent, 12, 8));        // earlier today: present
    owned.push_back(Found(2, rtEvent, 11, 23, 59));   // yesterday 23:59: past
    owned.push_back(Found(3, rtTask, 0, 0, 0, 500));  // undated task: other
    owned.push_back(Found(4, 20, 0, 0));              // a person
    owned.push_back(Found(5, 31, 10, 9));             // a page, even dated
    owned.push_back(Found(6, rtEvent, 1, 9));         // past, older
    owned.push_back(Found(7, rtEvent, 9, 9));         // past, between
    owned.push_back(Found(8, rtEvent, 20, 9));        // future, later
    owned.push_back(Found(9, rtEvent, 12, 8));        // present, same begin, created later
    owned.push_back(Found(10, rtNote, 0, 0, 0, 900)); // other, most recent change
    owned.push_back(Found(11, rtTask, 0, 0, 0, 100)); // other, oldest change
    owned.push_back(Found(12, 32, 0, 0));             // beyond the external types
    TNPIMRecordList found;
    int32_t count = 0;
    for (auto& record : owned) {
        found.Append(record.get(), &count);
        if (record->ID == 4)
            found.Append(nullptr, &count);
    }

    TNSearchPartition partition;
    PartitionSearchResults(found, count, dayStart, &partition);
    EXPECT_EQ(Ids(partition, slPast), (std::vector<uint32_t>{2, 7, 6})) << "latest first";
    EXPECT_EQ(Ids(partition, slFuture), (std::vector<uint32_t>{1, 9, 8})) << "begin, then created";
    EXPECT_EQ(Ids(partition, slOther), (std::vector<uint32_t>{10, 3, 11, 12})) << "most recent change first";
    EXPECT_EQ(Ids(partition, slExternal), (std::vector<uint32_t>{4, 5})) << "found order, NULL skipped";
}

TEST(SearchPartition, PlaceholderByMode)
{
    struct Case {
        int32_t mode;
        const char* text;
        int32_t type;
    };
    const Case cases[] = {
        {3, "Žádné stránky ani kalendáře k zobrazení", 127},
        {4, "Žádné výsledky", 127},
        {5, "Žádné události k zobrazení", 127},
        {6, "Nahrávám...", 126},
        {0, "Žádné výsledky", 127},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<TNPIMRecord> record = NoResultsRecord(c.mode);
        EXPECT_STREQ(record->Text.Text, c.text) << c.mode;
        EXPECT_EQ(record->Type, c.type) << c.mode;
        EXPECT_FALSE(record->HasBegin);
    }
}

} // namespace

namespace shell_test {
namespace {

const char* const kLists[] = {"scrollSearchPast", "scrollSearchFuture", "scrollSearchOther", "scrollSearchExternal"};

// Runs a job's body on the calling thread.
class JobBody final : public TLogin {
public:
    using TLogin::RunJob;
};

class SearchPage : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        SignIn();
        Main().settingsApplied = 1;
        Main().CreateHeaderComponents();
        g.SetSearchText(TNString(""));
        Click(TfrmMainDLMR1::kSearch);
        Click(TfrmMainDLMR1::kHomepage);
        ASSERT_EQ(Jobs7(), 0) << "no text, no search";
    }

    int Jobs7() const
    {
        int count = 0;
        for (const TNPageJob& job : jobs_)
            count += job.Tag == 7 ? 1 : 0;
        return count;
    }

    static void Type(const char* edit, const char* text)
    {
        plat::TFlatEdit* control = View.GetComponent(edit)->Edits[0].Get();
        control->SetText(text);
        control->SetTag(1);
    }
    void TearDown() override
    {
        g.SetSearchText(TNString(""));
        PagesTest::TearDown();
    }
    static plat::TComponent* Overlay(const char* button) { return View.GetComponent(button)->TitleLabel.Get(); }

    static TNViewInner& Inner(int list) { return *View.GetActiveInner(View.GetComponent(kLists[list])); }
    static std::vector<uint32_t> Listed(int list)
    {
        std::vector<uint32_t> ids;
        TNViewInner& inner = Inner(list);
        for (int32_t i = 0; i < inner.ListItemsCount; ++i)
            ids.push_back(inner.Records->Items[i]->ID);
        return ids;
    }
    static std::string FirstText(int list)
    {
        TNViewInner& inner = Inner(list);
        return inner.ListItemsCount > 0 && inner.Records->Items[0]->Text.Text != nullptr
                   ? inner.Records->Items[0]->Text.Text
                   : "";
    }
    // The page starts job 7 for the text.
    void Search(const char* text)
    {
        g.SetSearchText(TNString(text));
        const int before = Jobs7();
        Main().UpdateSearch(0);
        ASSERT_EQ(Jobs7(), before + 1);
    }
    // Runs what was posted to the main loop.
    static void Drain()
    {
        Loop().Post([] { Loop().Quit(); });
        Loop().Run();
    }
};

TEST_F(SearchPage, TheSameTextSearchesOnceFromTheHeaderAndAgainOnEachFind)
{
    Type("editHeaderSearch", "schůzka");
    Main().mnuFindClick(Overlay("btnHeaderFind"));
    EXPECT_EQ(Jobs7(), 1);
    EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kSearch);
    Main().mnuFindClick(Overlay("btnHeaderFind"));
    EXPECT_EQ(Jobs7(), 1) << "the header's same text";

    Main().btnSearchFindClick(Overlay("btnSearchFind"));
    EXPECT_EQ(Jobs7(), 2);
    Main().btnSearchFindClick(Overlay("btnSearchFind"));
    EXPECT_EQ(Jobs7(), 3) << "an explicit find always searches";
    uint16_t enter = 13;
    Main().editSearchSearchKeyDown(View.GetComponent("editSearchSearch")->Edits[0].Get(), enter);
    EXPECT_EQ(Jobs7(), 4) << "Enter on the page's edit";

    Type("editHeaderSearch", "porada");
    Main().mnuFindClick(Overlay("btnHeaderFind"));
    EXPECT_EQ(Jobs7(), 5) << "another text";
    EXPECT_EQ(View.GetComponent("editSearchSearch")->Edits[0].Get()->Text(), "porada");
}

TEST_F(SearchPage, TheHandOverFillsTheFourListsAndShowsThePage)
{
    AddRecord(Account(0), {.ID = 1, .Day = 10, .Text = "schůzka minulá"});
    AddRecord(Account(0), {.ID = 2, .Day = 11, .Hour = 8, .Text = "schůzka dnes"});
    AddRecord(Account(0), {.ID = 3, .Year = 0, .Text = "schůzka úkol"});
    auto results = std::make_shared<TNPIMRecordList>();
    int32_t count = 0;
    for (int32_t pos = 0; pos < Account(0).Records->Count; ++pos)
        results->Append(Account(0).Records->Items[pos], &count);
    Search("schůzka");
    PagesHooks.HandOverSearchResults(results, count);
    EXPECT_EQ(Listed(0), (std::vector<uint32_t>{1}));
    EXPECT_EQ(Listed(1), (std::vector<uint32_t>{2}));
    EXPECT_EQ(Listed(2), (std::vector<uint32_t>{3}));
    EXPECT_EQ(FirstText(3), "Žádné výsledky") << "an empty list shows one placeholder";
    EXPECT_EQ(Inner(3).ListItemsCount, 1);
    EXPECT_TRUE(Main().timerSearch->Enabled());
    EXPECT_EQ(Main().timerSearch->Tag(), 1);

    timers_->Advance(1);
    EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kSearch) << "the page comes up";
    EXPECT_EQ(Listed(0), (std::vector<uint32_t>{1})) << "showing keeps the lists";
    EXPECT_EQ(Main().timerSearch->Tag(), 0);
    // The first card of each list shows its record.
    for (int list = 0; list < 3; ++list) {
        TNViewItem* card = nullptr;
        for (int32_t i = 0; i < View.ItemsCount && card == nullptr; ++i) {
            TNViewItem* item = View.Items[i];
            if (item != nullptr && item->Type == cmpRecord && item->ParentItem == View.GetComponent(kLists[list]) &&
                item->Panel.Get() != nullptr && item->Panel.Get()->Visible())
                card = item;
        }
        ASSERT_NE(card, nullptr) << kLists[list];
        EXPECT_EQ(card->record_id, Listed(list)[0]) << kLists[list];
    }
}

TEST_F(SearchPage, NothingFoundShowsOnePlaceholderPerList)
{
    Search("nic");
    PagesHooks.HandOverSearchResults(std::make_shared<TNPIMRecordList>(), 0);
    for (int list = 0; list < 4; ++list) {
        EXPECT_EQ(Inner(list).ListItemsCount, 1) << kLists[list];
        EXPECT_EQ(FirstText(list), "Žádné výsledky") << kLists[list];
        EXPECT_EQ(Inner(list).Records->Items[0]->Type, 127);
    }
}

TEST_F(SearchPage, ResultsOfAReplacedDataSetAreDropped)
{
    AddRecord(Account(0), {.ID = 1, .Text = "schůzka"});
    auto results = std::make_shared<TNPIMRecordList>();
    int32_t count = 0;
    results->Append(Account(0).Records->Items[0], &count);
    Search("schůzka");
    TNView::NoteShownDataReplaced();
    PagesHooks.HandOverSearchResults(results, count);
    for (int list = 0; list < 4; ++list)
        EXPECT_EQ(FirstText(list), "Žádné výsledky") << kLists[list];
}

TEST_F(SearchPage, TheShownResultsLiveUntilTheNextSearchReplacesThem)
{
    std::weak_ptr<TNPIMRecordList> previous;
    for (int search = 0; search < 100; ++search) {
        auto results = std::make_shared<TNPIMRecordList>();
        int32_t count = 0;
        auto nameDay = std::make_unique<TNPIMRecord>();
        nameDay->ID = 9000 + static_cast<uint32_t>(search);
        nameDay->Type = rtDayNote;
        nameDay->HasBegin = true;
        nameDay->Begin.SetDate(20, 3, 2025);
        ASSERT_TRUE(results->AppendOwned(std::move(nameDay), &count));
        Search(("jmeniny " + std::to_string(search)).c_str());
        std::weak_ptr<TNPIMRecordList> current = results;
        PagesHooks.HandOverSearchResults(std::move(results), count);
        EXPECT_TRUE(previous.expired()) << "search " << search;
        ASSERT_FALSE(current.expired()) << "the lists point into it";
        EXPECT_EQ(Listed(1), (std::vector<uint32_t>{9000u + static_cast<uint32_t>(search)}));
        timers_->Advance(1);
        previous = current;
    }
}

TEST_F(SearchPage, TheJobHandsItsResultsToTheMainThread)
{
    // The searchable text is stored folded.
    RecordAt(Account(0), AddRecord(Account(0), {.ID = 1, .Day = 12, .Text = "schůzka zítra"}))
        .SearchablePlainText.Set("schuzka zitra");
    RecordAt(Account(0), AddRecord(Account(0), {.ID = 2, .Year = 0, .Text = "nákup"})).SearchablePlainText.Set("nakup");
    Search("schůzka");
    std::thread worker([] {
        JobBody job;
        job.Tag = 7;
        job.RunJob();
    });
    worker.join();
    EXPECT_EQ(Inner(1).ListItemsCount, 0) << "nothing touched before the main loop runs";
    Drain();
    EXPECT_EQ(Listed(1), (std::vector<uint32_t>{1}));
    EXPECT_EQ(FirstText(2), "Žádné výsledky");
}

// The thread each hand-over ran on, then the window's own entry.
std::vector<std::thread::id> handOverThreads;
void (*windowHandOver)(std::shared_ptr<TNPIMRecordList>, int32_t) = nullptr;

TEST_F(SearchPage, SearchesWhileThePageIsResizedFillTheListsOnTheMainThread)
{
    for (uint32_t id = 1; id <= 40; ++id)
        RecordAt(Account(0),
                 AddRecord(Account(0), {.ID = id, .Day = static_cast<int32_t>(1 + id % 28), .Text = "schůzka"}))
            .SearchablePlainText.Set("schuzka");
    windowHandOver = PagesHooks.HandOverSearchResults;
    handOverThreads.clear();
    PagesHooks.HandOverSearchResults = [](std::shared_ptr<TNPIMRecordList> results, int32_t count) {
        handOverThreads.push_back(std::this_thread::get_id());
        windowHandOver(std::move(results), count);
    };
    for (int search = 0; search < 50; ++search) {
        Main().ForgetLastSearchText();
        Search("schůzka");
        std::thread worker([] {
            JobBody job;
            job.Tag = 7;
            job.RunJob();
        });
        for (int width = 600; width < 900; width += 60) {
            Main().gDesk->SetBounds(0, 0, width, 500);
            Main().ResizeSearchComponents();
        }
        worker.join();
        Drain();
        timers_->Advance(1);
        ASSERT_EQ(Inner(0).ListItemsCount + Inner(1).ListItemsCount, 40) << "search " << search;
    }
    PagesHooks.HandOverSearchResults = windowHandOver;
    EXPECT_EQ(handOverThreads.size(), 50u);
    for (const std::thread::id& thread : handOverThreads)
        EXPECT_EQ(thread, std::this_thread::get_id());
}

} // namespace
} // namespace shell_test
