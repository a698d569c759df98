// The calendar page on the offscreen GUI layer, one core, fixed data (the
// account's clock stands at Saturday 15 June 2024). Targets: the drawn hour
// backgrounds at screen widths 1920 and 3840 (time, and the bytes they hold
// as a counter); switching from the week to a built month view with 300
// records in the month under 200 ms; the next-week button in the week view
// with 150 records in each week under 120 ms; refreshing all four built
// views with 300 records under 400 ms; the author filter over 10,000 records
// against 100 authors under 2 ms. The GUI's posted events (repaints, late
// deletions) are handled inside each timed step, as the program's loop
// would before the next click.
#include "bench/window_bench_support.h"
#include "foundation/pim_array.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/mouse.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "tests/model/account_generator.h"
#include "view/image_table.h"
#include "view/view.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kUser = 77;
constexpr uint32_t kOrganizer = 500;

// Adds a one-hour event filed under its day, as a download leaves it.
void AddEvent(TNPIM& pim, uint32_t id, int32_t day, int32_t hour)
{
    TNPIMRecords& records = *pim.Records;
    records.Resize(records.Count + 1);
    const int32_t pos = records.Count - 1;
    TNPIMRecord& record = *records.Items[pos];
    record.ID = id;
    record.Type = 3;
    record.OrganizerID = kOrganizer;
    record.CreatedByUserID = kUser;
    record.Text.Set(("Schůzka " + std::to_string(id)).c_str());
    record.HasBegin = true;
    record.Begin.SetDate(day, 6, 2024);
    record.Begin.NastavCas(static_cast<uint16_t>(hour), 0);
    record.HasEnd = true;
    record.End.SetDate(day, 6, 2024);
    record.End.NastavCas(static_cast<uint16_t>(hour + 1), 0);
    records.NoteIDChanged(pos);
    records.SaveOrDeleteRecordByPos(pos, false);
}

// The signed-in window on the calendar page, with 150 events in each of the
// weeks of 10 and 17 June 2024 (300 in the month), once.
struct Fixture {
    model_test::AccountWorkspace* workspace = nullptr;
    TfrmMainDLMR1* window = nullptr;
};

Fixture& Ready()
{
    static Fixture fixture = [] {
        StartWindowBenchGlobals("calendar-page-bench");
        Fixture made;
        made.workspace = new model_test::AccountWorkspace();
        TNPIM& pim = made.workspace->Pim();
        pim.UserID = kUser;
        pim.Organizers.Resize(1);
        TNPIMOrganizer& organizer = *pim.Organizers.Items[0];
        organizer.ID = kOrganizer;
        organizer.UserID = kUser;
        organizer.Origin = 1;
        organizer.Subscribe = 1;
        organizer.Selected = true;
        for (uint32_t i = 0; i < 300; ++i)
            AddEvent(pim, 20000 + i, 10 + static_cast<int32_t>(i % 14), 7 + static_cast<int32_t>(i / 14 % 12));
        raf.Items[static_cast<size_t>(made.workspace->Fid())]->resize_toSave(0);

        made.window = new TfrmMainDLMR1(nullptr);
        TfrmMainDLMR1& main = *made.window;
        main.timerOnline->SetEnabled(false);
        main.signedIn = 1;
        main.SetBounds(0, 0, 1280, 800);
        main.CreateControlComponents(main.pControl);
        main.Show();
        main.calendarViewBy = 3;
        main.ClickOnControlButton("btnControlCalendar");
        return made;
    }();
    return fixture;
}

void Press(TfrmMainDLMR1& main, const char* button)
{
    TNViewItem* item = View.GetComponent((std::string("toolbarCalendar_") + button).c_str());
    main.calendarViewByMouseDown(item->TitleLabel.Get(), plat::TMouseButton::mbLeft);
}

// The record cards the day box holds, to show the data reached it.
int32_t Cards(const char* daybox)
{
    const std::string prefix = std::string(daybox) + "_recordCmp_";
    int32_t count = 0;
    for (int32_t i = 0; i < View.ItemsCount; ++i) {
        const TNViewItem* item = View.Items[i];
        if (item != nullptr && item->Name.Text != nullptr && std::string(item->Name.Text).rfind(prefix, 0) == 0)
            ++count;
    }
    return count;
}

void BM_CreateDynamicImages(benchmark::State& state)
{
    TfrmMainDLMR1& main = *Ready().window;
    plat::ScreenGeometry screen;
    screen.width = screen.desktopWidth = static_cast<int>(state.range(0));
    screen.height = screen.desktopHeight = static_cast<int>(state.range(0)) * 9 / 16;
    screen.workArea = {0, 0, screen.width, screen.height};
    plat::Screen::SetOverride(screen);
    for (auto _ : state)
        main.CreateDynamicImages();
    int64_t bytes = 0;
    for (int32_t quarter : {10, 15, 20, 23, 30}) {
        const std::string name = "bgCalendarOneDay" + std::to_string(4 * quarter);
        if (plat::TImage* image = ImageTable.GetImage(name.c_str(), true))
            bytes += int64_t{4} * image->Width() * image->Height();
    }
    state.counters["bytes_held"] = static_cast<double>(bytes);
    plat::Screen::ClearOverride();
    main.CreateDynamicImages();
}
BENCHMARK(BM_CreateDynamicImages)->Arg(1920)->Arg(3840)->Unit(benchmark::kMillisecond);

void BM_WeekToBuiltMonth(benchmark::State& state)
{
    TfrmMainDLMR1& main = *Ready().window;
    Press(main, "View_ByMonth");
    for (auto _ : state) {
        state.PauseTiming();
        Press(main, "View_ByWeek");
        plat::testing::Flush();
        state.ResumeTiming();
        Press(main, "View_ByMonth");
        plat::testing::Flush();
    }
    state.counters["month_cards"] = Cards("scrollCalendar_MonthDaybox");
    Press(main, "View_ByWeek");
}
BENCHMARK(BM_WeekToBuiltMonth)->Unit(benchmark::kMillisecond);

void BM_NextWeek(benchmark::State& state)
{
    TfrmMainDLMR1& main = *Ready().window;
    Press(main, "View_ByWeek");
    main.calendarTodayClick();
    for (auto _ : state) {
        main.calendarNextClick();
        plat::testing::Flush();
        state.PauseTiming();
        main.calendarPreviousClick();
        plat::testing::Flush();
        state.ResumeTiming();
    }
    main.calendarNextClick();
    state.counters["week_cards"] = Cards("scrollCalendar_WeekDaybox");
    main.calendarPreviousClick();
}
BENCHMARK(BM_NextWeek)->Unit(benchmark::kMillisecond);

void BM_RefreshAllFourViews(benchmark::State& state)
{
    TfrmMainDLMR1& main = *Ready().window;
    for (const char* button : {"View_ByDay", "View_ByWorkWeek", "View_ByMonth", "View_ByWeek"})
        Press(main, button);
    for (auto _ : state) {
        main.RefreshAllDayboxes("bench");
        plat::testing::Flush();
    }
}
BENCHMARK(BM_RefreshAllFourViews)->Unit(benchmark::kMillisecond);

void BM_AuthorFilterOverTenThousandRecords(benchmark::State& state)
{
    TfrmMainDLMR1& main = *Ready().window;
    TNPIMOrganizers& list = PIM[0]->Organizers;
    list.CleanFilterListStruct();
    for (uint32_t author = 1; author <= 100; ++author) {
        const auto at = static_cast<size_t>(list.ResizeFilterListStruct_AddOneItem());
        list.FilterListKind[at] = TNPIMOrganizers::kFilterAuthor;
        list.FilterListAuthorID[at] = 1000 + author;
        list.FilterListName[at] = TNString(("Autor " + std::to_string(author)).c_str());
        list.FilterListShown[at] = author % 2;
    }
    // Every author, and one in a hundred missing from the list.
    std::vector<std::unique_ptr<TNPIMRecord>> records;
    for (uint32_t i = 0; i < 10000; ++i) {
        records.push_back(std::make_unique<TNPIMRecord>());
        records.back()->CreatedByUserID = 1001 + i % 101;
    }
    for (auto _ : state) {
        int32_t shown = 0;
        for (const auto& record : records)
            shown += main.RecordIsVisibleByFilter(record.get()) ? 1 : 0;
        benchmark::DoNotOptimize(shown);
    }
    int32_t shown = 0;
    for (const auto& record : records)
        shown += main.RecordIsVisibleByFilter(record.get()) ? 1 : 0;
    state.counters["shown"] = shown;
}
BENCHMARK(BM_AuthorFilterOverTenThousandRecords)->Unit(benchmark::kMicrosecond);

} // namespace
