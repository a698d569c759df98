// Filling day boxes, painting record cards and packing strips, on the
// offscreen GUI layer with fixed data. Targets: a month fill of 300 records
// over 42 cells under 150 ms (first and forced), an unchanged call under
// 1 ms; a week of 150 timed and 30 all-day records with packing under
// 100 ms; a home-page day of 40 records with its background under 40 ms;
// painting a 16-line card with 5 icons or a task row with links under
// 0.5 ms, a hover move under 1 ms; wrapping 2,000 characters under 0.2 ms;
// packing 200 cards over 7 days under 2 ms. The widgets and heap of a built
// week and month view are reported as counters, a baseline for later runs.
#include "foundation/globals.h"
#include "foundation/pim_array.h"
#include "foundation/time.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "platform/gui/form.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/mouse.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/record_card.h"
#include "view/view.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>

namespace {

constexpr uint32_t kOrganizer = 10;

// The program's globals, the first data set with one selected organizer,
// and the pictures the cards draw.
TNPIM& Data()
{
    static TNPIM* pim = [] {
        setenv("TZ", "Europe/Prague", 1);
        plat::testing::StartOffscreenGui();
        InstallOnlineGlobals();
        InstallViewGlobals();
        InstallViewHooks();
        if (!GlobalsConstructed())
            ConstructGlobals();
        auto* set = new TNPIM(0);
        PIM.Append(set);
        set->Organizers.Resize(1);
        set->Organizers.Items[0]->ID = kOrganizer;
        set->Organizers.Items[0]->Subscribe = 1;
        set->Organizers.Items[0]->Selected = true;
        return set;
    }();
    return *pim;
}

void MakePictures()
{
    for (const char* name : {"imgCheckboxUncheckedWhiteBG", "imgImportance0", "imgImportanceBlank",
                             "imgCheckmarkSilver", "imgCheckmarkBlue", "imgSandClock24"})
        ImageTable.CreateBlankImage(name, 16, 16, 0x808080);
    for (const char* name : {"imgSharedSilver12", "imgRecurringSilver12", "imgPlaceSilver12", "imgNoteSilver12",
                             "imgAlertSilver12", "imgFinishedGreen12"})
        ImageTable.CreateBlankImage(name, 12, 12, 0xA0A0A0);
    for (int32_t rowHeight : {15, 20, 23}) {
        const std::string name = "bgCalendarOneDay" + std::to_string(4 * rowHeight);
        ImageTable.CreateBlankImage(name.c_str(), 800, 96 * rowHeight, 0xFFFFFF);
    }
}

void ClearRecords()
{
    TNPIM& pim = Data();
    for (int32_t i = 0; i < pim.Records->Count; ++i)
        pim.Records->Items[i]->DeleteRecordFromAllDays();
    pim.Records->Resize(0);
}

TNPIMRecord& AddRecord(uint32_t id, int32_t day, int32_t month, int32_t hour, int32_t minute, int32_t minutes)
{
    TNPIMRecords& records = *Data().Records;
    records.Resize(records.Count + 1);
    TNPIMRecord& record = *records.Items[records.Count - 1];
    record.ID = id;
    record.Type = 3;
    record.Text = TNString("Schůzka oddělení");
    record.OrganizerID = kOrganizer;
    record.Organizer = Data().Organizers.Items[0];
    record.Changed = id;
    record.HasBegin = true;
    record.Begin.SetDateTime(day, month, 0, minute, hour, 2024);
    record.Begin.GetTimestamp();
    if (minutes > 0) {
        record.HasEnd = true;
        record.End.SetTimestamp(record.Begin.Timestamp + int64_t{minutes} * 60);
        record.End.GetTimestamp();
        record.EventLength = minutes;
    }
    records.NoteIDChanged(records.Count - 1);
    record.AddToAllDays();
    return record;
}

// A calendar page: a scroll box with a day box and an all-day bar.
struct CalendarPage {
    plat::TOwned<plat::TForm> form{new plat::TForm};
    TNViewItem* scroll = nullptr;
    TNViewItem* daybox = nullptr;

    CalendarPage(int32_t mode, int32_t day, int32_t month, int32_t days, int32_t width, int32_t height)
    {
        // The cards belong to the main window, here the page's form.
        mainForm = form.get();
        ViewMainHooks.MainForm = [] { return mainForm; };
        form->SetBounds(0, 0, width, height + 100);
        scroll = View.CreateComponent(cmpScrollbox, "scrollCalendar", form.get(), form.get(), 0, "", 1, -1, nullptr,
                                      nullptr, 3);
        View.ResizeScrollbox(scroll, 0, 0, width, height, true, 1, 0, "bench");
        daybox = View.CreateComponent(cmpDaybox, "scrollCalendar_daybox", form.get(),
                                      scroll->Inners[0]->ContentPanel.Get(), 0, "", 1, -1, nullptr, scroll, 3);
        scroll->DayboxItem = daybox;
        daybox->daybox_mode = mode;
        daybox->MonthRows = 6;
        daybox->Panel.Get()->SetBounds(0, 0, width, height);
        scroll->ThirdBarItem = View.CreateComponent(cmpToolbar, "scrollCalendar_allday", form.get(),
                                                    scroll->ThirdBarPanel.Get(), 0, "", 1, -1, nullptr, scroll, 3);
        daybox->Times[0].SetDateTime(day, month, 0, 0, 0, 2024);
        daybox->Times[1].Copy(&daybox->Times[0]);
        daybox->Times[1].AddDays(days - 1);
    }
    ~CalendarPage()
    {
        View.DeleteComponentsByFormHandle(form.get());
        form.reset();
        mainForm = nullptr;
    }
    static inline plat::TForm* mainForm = nullptr;
    void Fill() { View.UpdateDaybox(daybox, scroll, 10); }
};

void FreshView()
{
    Data();
    DestroyViewGlobals();
    ConstructViewGlobals();
    MakePictures();
    ClearRecords();
}

// 300 records over the 42 days of the month grid from 26 February.
void MonthFillForced(benchmark::State& state)
{
    FreshView();
    for (uint32_t id = 1; id <= 300; ++id)
        AddRecord(id, 1 + static_cast<int32_t>(id % 29), 3, 8 + static_cast<int32_t>(id % 10), 0, 60);
    CalendarPage page(44, 26, 2, 42, 1200, 900);
    for (auto _ : state) {
        g.someRecordChangedSoUpdateViews = 1;
        page.Fill();
    }
    state.counters["cards"] = page.daybox->ChildrenCount;
}
BENCHMARK(MonthFillForced)->Unit(benchmark::kMillisecond);

void MonthCallUnchanged(benchmark::State& state)
{
    FreshView();
    for (uint32_t id = 1; id <= 300; ++id)
        AddRecord(id, 1 + static_cast<int32_t>(id % 29), 3, 8 + static_cast<int32_t>(id % 10), 0, 60);
    CalendarPage page(44, 26, 2, 42, 1200, 900);
    page.Fill();
    for (auto _ : state)
        page.Fill();
}
BENCHMARK(MonthCallUnchanged)->Unit(benchmark::kMicrosecond);

// 150 timed records, overlapping in places, and 30 all-day ones.
void WeekFillWithPacking(benchmark::State& state)
{
    FreshView();
    uint32_t id = 1;
    for (int32_t i = 0; i < 150; ++i)
        AddRecord(id++, 4 + i % 7, 3, 7 + (i / 7) % 12, (i % 4) * 15, 45 + (i % 3) * 30);
    for (int32_t i = 0; i < 30; ++i)
        AddRecord(id++, 4 + i % 7, 3, 99, 0, 0);
    CalendarPage page(34, 4, 3, 7, 1200, 1920);
    for (auto _ : state) {
        g.someRecordChangedSoUpdateViews = 1;
        page.Fill();
    }
    state.counters["cards"] = page.daybox->ChildrenCount + page.scroll->ThirdBarItem->ChildrenCount;
}
BENCHMARK(WeekFillWithPacking)->Unit(benchmark::kMillisecond);

void HomeDayWithBackground(benchmark::State& state)
{
    FreshView();
    for (uint32_t id = 1; id <= 40; ++id)
        AddRecord(id, 6, 3, 6 + static_cast<int32_t>(id % 14), static_cast<int32_t>(id % 4) * 15, 30);
    CalendarPage page(4, 6, 3, 1, 800, 600);
    page.Fill();
    plat::TImage* background = ImageTable.GetImage("bgCalendarOneDay_ModeDynamic", true);
    for (auto _ : state) {
        g.someRecordChangedSoUpdateViews = 1;
        page.Fill();
    }
    state.counters["new_background_when_unchanged"] =
        ImageTable.GetImage("bgCalendarOneDay_ModeDynamic", true) != background ? 1 : 0;
}
BENCHMARK(HomeDayWithBackground)->Unit(benchmark::kMillisecond);

struct CardFixture {
    plat::TOwned<plat::TForm> form{new plat::TForm};
    TNViewItem* card = nullptr;

    CardFixture(TNPIMRecord& record, int32_t displayType)
    {
        form->SetBounds(0, 0, 600, 600);
        card = View.CreateComponent(cmpRecord, "card", form.get(), form.get(), 0, "", 1, -1, nullptr, nullptr, 3);
        card->DisplayType = displayType;
        card->LinksShown = 1;
        TNView::SetCardRecord(card, &record);
        card->TitleLabel.Get()->SetCaption(record.Text.Text);
        View.ResizeRecord(card, 0, 0, 400, 300, true);
    }
    ~CardFixture()
    {
        View.DeleteComponent("card", true);
        form.reset();
    }
};

std::string Words(size_t characters)
{
    std::string text;
    while (text.size() < characters)
        text += "slovo ";
    text.resize(characters);
    return text;
}

// Paints one card of the record at the given height, again and again.
void PaintCard(benchmark::State& state, TNPIMRecord& record, int32_t displayType, int32_t height)
{
    CardFixture fixture(record, displayType);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            View.PaintRecordImage(fixture.card, &record, "bench", record.Text.Text, false, height, 400));
}

void PaintPlainCardOfSixteenLines(benchmark::State& state)
{
    FreshView();
    TNPIMRecord& record = AddRecord(1, 6, 3, 10, 0, 60);
    record.Text = TNString(Words(1200).c_str());
    record.Shared = true;
    record.RecurrenceFrequency = 1;
    record.Place = TNString("Praha");
    record.Note = TNString("Poznámka");
    record.AlertType0 = 1;
    PaintCard(state, record, 0, 300);
}
BENCHMARK(PaintPlainCardOfSixteenLines)->Unit(benchmark::kMicrosecond);

void PaintTaskRowWithLinks(benchmark::State& state)
{
    FreshView();
    TNPIMRecord& record = AddRecord(1, 6, 3, 10, 0, 60);
    record.Type = 1;
    PaintCard(state, record, kCardTaskRow, 60);
}
BENCHMARK(PaintTaskRowWithLinks)->Unit(benchmark::kMicrosecond);

void HoverMove(benchmark::State& state)
{
    FreshView();
    TNPIMRecord& record = AddRecord(1, 6, 3, 10, 0, 60);
    record.Type = 1;
    CardFixture fixture(record, kCardTaskRow);
    fixture.card->Panel.Get()->SetHeight(60);
    int x = 0;
    for (auto _ : state) {
        plat::Mouse::SetCursorPos(fixture.card->Panel.Get()->ClientToScreen(plat::TPoint{x++ % 400, 12}));
        View.RecordMouseMove(fixture.card->CaptionLabel.Get());
    }
}
BENCHMARK(HoverMove)->Unit(benchmark::kMicrosecond);

void WrapTwoThousandCharacters(benchmark::State& state)
{
    Data();
    plat::TFont font;
    font.SetName(View.FontName);
    font.SetSize(10);
    const std::string text = Words(2000);
    std::vector<std::string> lines;
    for (auto _ : state)
        benchmark::DoNotOptimize(WrapRecordText(font, text, 20, 300, 1000, &lines));
}
BENCHMARK(WrapTwoThousandCharacters)->Unit(benchmark::kMicrosecond);

void PackTwoHundredCards(benchmark::State& state)
{
    FreshView();
    plat::TOwned<plat::TForm> form(new plat::TForm);
    form->SetBounds(0, 0, 1200, 800);
    TNViewItem* bar =
        View.CreateComponent(cmpToolbar, "bar", form.get(), form.get(), 0, "", 1, -1, nullptr, nullptr, 3);
    bar->Panel.Get()->SetBounds(0, 0, 1200, 100);
    for (uint32_t id = 1; id <= 200; ++id) {
        TNPIMRecord& record = AddRecord(id, 4 + static_cast<int32_t>(id % 7), 3, 99, 0, 0);
        const std::string name = "card" + std::to_string(id);
        TNViewItem* card =
            View.CreateComponent(cmpRecord, name.c_str(), form.get(), bar->Panel.Get(), 0, "", 1, -1, nullptr, bar, 3);
        TNView::SetCardRecord(card, &record);
        card->dayPos = static_cast<int32_t>(id % 7);
        card->shownDaysCount = 7;
        card->daybox_mode = 34;
    }
    for (auto _ : state)
        View.ResizeToolbar_cmpRecordComponents_WorkWeek_and_Week(bar, 0, 20, 0);
    View.DeleteComponentsByFormHandle(form.get());
}
BENCHMARK(PackTwoHundredCards)->Unit(benchmark::kMillisecond);

// What a built view of a month of data holds: its widgets and heap.
void BuiltViewFootprint(benchmark::State& state)
{
    FreshView();
    for (uint32_t id = 1; id <= 300; ++id)
        AddRecord(id, 1 + static_cast<int32_t>(id % 29), 3, 8 + static_cast<int32_t>(id % 10), 0, 60);
    const int32_t mode = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        const size_t heapBefore = mallinfo2().uordblks;
        auto page = mode == 44 ? std::make_unique<CalendarPage>(44, 26, 2, 42, 1200, 900)
                               : std::make_unique<CalendarPage>(34, 4, 3, 7, 1200, 1920);
        page->Fill();
        state.counters["widgets"] = page->form->ComponentCount();
        state.counters["heap_kib"] = static_cast<double>(mallinfo2().uordblks - heapBefore) / 1024.0;
    }
}
BENCHMARK(BuiltViewFootprint)->Arg(34)->Arg(44)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
