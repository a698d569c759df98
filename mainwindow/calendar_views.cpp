// The calendar's four views: one day, work week, week and month, each a
// scroll box with title bars and one day box, built lazily, laid out by the
// page and refilled by the shown-data update.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/string.h"
#include "mainwindow/calendar_dates.h"
#include "mainwindow/main_window.h"
#include "model/pim.h"
#include "platform/gui/image.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "view/daybox_metrics.h"
#include "view/image_table.h"
#include "view/view.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr plat::TColor kGrey = 0x808080;
constexpr plat::TColor kGreen = 0x77CA90;
constexpr int32_t kTitleHeight = 32;
constexpr int32_t kDayNameHeight = 28;
// Bars whose children the page lays out itself.
constexpr int32_t kDayTitleBarCode = 555;

struct CalendarViewNames {
    const char* scrollbox;
    const char* daybox;
    int32_t dayboxMode;
    int32_t days;
};

constexpr CalendarViewNames kViews[] = {
    {"scrollCalendar_Day", "scrollCalendar_DayDaybox", 14, 1},
    {"scrollCalendar_WorkWeek", "scrollCalendar_WorkWeekDaybox", 24, 5},
    {"scrollCalendar_Week", "scrollCalendar_WeekDaybox", 34, 7},
    {"scrollCalendar_Month", "scrollCalendar_MonthDaybox", 44, 7},
};

const CalendarViewNames* NamesOf(int32_t view)
{
    return view >= 1 && view <= 4 ? &kViews[view - 1] : nullptr;
}

std::string Indexed(const std::string& base, int32_t index)
{
    return base + std::to_string(index);
}

int64_t DeskKey(const plat::TPanel* desk)
{
    return desk != nullptr ? static_cast<int64_t>(desk->Width()) * 100000 + desk->Height() : -1;
}

// The hour rows of the current row height as the day box's picture.
void SetHourBackground(TNViewItem& daybox)
{
    const std::string name = "bgCalendarOneDay" + std::to_string(4 * DayboxMetrics().RowHeight);
    plat::TImage* cached = ImageTable.GetImage(name.c_str(), true);
    plat::TImage* picture = daybox.Images[1].Get();
    if (cached != nullptr && picture != nullptr && cached->Picture().Graphic() != nullptr)
        picture->Picture().Assign(cached->Picture());
}

// The day and week views: as high as the hour rows, at least the frame.
void HourContentHeight(TNViewItem* scrollbox, int32_t*, int32_t* height)
{
    TNViewItem* daybox = scrollbox != nullptr ? scrollbox->DayboxItem : nullptr;
    plat::TImage* picture = daybox != nullptr ? daybox->Images[1].Get() : nullptr;
    if (picture == nullptr || height == nullptr)
        return;
    const int32_t group = daybox->DayboxModeGroup(-1);
    if (group != 1 && group != 2 && group != 3) {
        LogTextInt("[ResizeWorkWeekCalendar][ERROR][DEFAULT] item->DayboxItem->DayboxModeGroup() = ", group);
        return;
    }
    *height = std::max(*height, picture->Height());
}

TNViewItem* AddBar(TfrmMainDLMR1& form, TNViewItem* scrollbox, plat::TWinControl* parent, const std::string& name)
{
    TNViewItem* bar =
        View.CreateComponent(cmpToolbar, name.c_str(), &form, parent, 0, "", 1, -1, nullptr, scrollbox, 3);
    if (bar != nullptr)
        bar->LayoutCode = kDayTitleBarCode;
    return bar;
}

TNViewItem* AddBarButton(TNViewItem* bar, const std::string& name, const char* caption)
{
    if (bar == nullptr)
        return nullptr;
    TNViewItem* prepared = View.priToolbar(bar, cmpButton, name.c_str(), 0);
    if (prepared == nullptr)
        return nullptr;
    prepared->ButtonTitle = TNString(caption);
    return View.AddToolbarComponent(prepared);
}

} // namespace

TNViewItem* TfrmMainDLMR1::CalendarViewScrollbox(int32_t view)
{
    const CalendarViewNames* shape = NamesOf(view);
    return shape != nullptr ? View.GetComponent(shape->scrollbox) : nullptr;
}

TNViewItem* TfrmMainDLMR1::CalendarViewDaybox(int32_t view)
{
    const CalendarViewNames* shape = NamesOf(view);
    return shape != nullptr && CalendarViewScrollbox(view) != nullptr ? View.GetComponent(shape->daybox) : nullptr;
}

void TfrmMainDLMR1::CreateCalendarView(int32_t view)
{
    Guarded("[TfrmMainDLMR1::CreateCalendarView]", [&] {
        const CalendarViewNames* shape = NamesOf(view);
        CreateCalendarComponents();
        if (shape == nullptr || pCalendarDesk == nullptr)
            return;
        if (CalendarViewScrollbox(view) == nullptr) {
            TNViewItem* scrollbox = View.CreateComponent(cmpScrollbox, shape->scrollbox, this, pCalendarDesk, 0, "", 1,
                                                         -1, nullptr, nullptr, 3);
            if (scrollbox == nullptr)
                return;
            scrollbox->Panel.Get()->SetVisible(false);
            View.SetShownFlag(scrollbox, false);
            const std::string base = shape->scrollbox;
            TNViewItem* titles = AddBar(*this, scrollbox, scrollbox->TopBarPanel.Get(), base + "Toolbar");
            scrollbox->TopBarItem = titles;
            scrollbox->TopBarShown = 1;
            scrollbox->TopBarHeight = kTitleHeight;
            if (view == View_ByMonth) {
                for (int32_t day = 0; day < 7; ++day)
                    AddBarButton(titles, Indexed("DayTitle", day), "");
            } else {
                TNViewItem* names = AddBar(*this, scrollbox, scrollbox->SecondBarPanel.Get(), base + "Toolbar2");
                scrollbox->SecondBarItem = names;
                scrollbox->SecondBarShown = 1;
                scrollbox->SecondBarHeight = kDayNameHeight;
                if (view == View_ByDay) {
                    AddBarButton(titles, "ShownDate", "Dnes");
                    AddBarButton(names, "DayName", "");
                } else {
                    for (int32_t day = 0; day < shape->days; ++day) {
                        AddBarButton(titles, Indexed("DayTitle", day), "");
                        AddBarButton(names, Indexed("DayName", day), "");
                    }
                }
                TNViewItem* allDay = AddBar(*this, scrollbox, scrollbox->ThirdBarPanel.Get(), base + "Toolbar3");
                if (allDay != nullptr)
                    allDay->LayoutCode = 0;
                scrollbox->ThirdBarItem = allDay;
                TNViewItem* dayNum =
                    View.CreateComponent(cmpButton, (base + "DayNum").c_str(), this, scrollbox->LeftColumnPanel.Get(),
                                         0, "", 1, -1, nullptr, scrollbox, 3);
                scrollbox->LeftColumnButtonItem = dayNum;
                scrollbox->LeftColumnShown = 1;
                scrollbox->LeftColumnWidth = DayboxMetrics().TimeColumnWidth;
                scrollbox->LeftColumnHeight = kTitleHeight + kDayNameHeight;
            }
            TNViewInner* inner = View.GetActiveInner(scrollbox);
            TNViewItem* daybox = View.CreateComponent(cmpDaybox, shape->daybox, this,
                                                      inner != nullptr ? inner->ContentPanel.Get() : nullptr, 0, "", 1,
                                                      -1, nullptr, scrollbox, 3);
            if (daybox == nullptr)
                return;
            scrollbox->DayboxItem = daybox;
            daybox->daybox_mode = shape->dayboxMode;
            if (view == View_ByMonth) {
                scrollbox->OnContentResize = [](TNViewItem* item, int32_t* width, int32_t* height) {
                    if (frmMainDLMR1 != nullptr && item != nullptr && width != nullptr && height != nullptr)
                        frmMainDLMR1->CreateDynamicImage_CalendarMonth("bgCalendarOneMonth", *width, item->DayboxItem,
                                                                       *height);
                };
            } else {
                SetHourBackground(*daybox);
                scrollbox->OnContentResize = HourContentHeight;
            }
        }
        SetCalendarViewRange(view);
        ResizeCalendarView(view, false);
    });
}

void TfrmMainDLMR1::SetCalendarViewRange(int32_t view)
{
    TNViewItem* daybox = CalendarViewDaybox(view);
    if (daybox == nullptr)
        return;
    if (view == View_ByMonth) {
        SetMonthViewDayboxDate(daybox, nullptr);
        return;
    }
    if (view == View_ByDay) {
        daybox->Times[0].Copy(&calendarShownDay);
        daybox->Times[1].Copy(&calendarShownDay);
        return;
    }
    TNTime now;
    now.SetNow();
    const TNDateRange week = CalendarWeekOf(now, view == View_ByWorkWeek);
    if (view == View_ByWeek) {
        LogWrite("[CreateCalendarComponents_WeekView] ThisWeekMonday = ", week.From.ToAnsiString().c_str(), false);
        LogWrite("[CreateCalendarComponents_WeekView] ThisWeekSunday = ", week.To.ToAnsiString().c_str(), false);
    }
    daybox->Times[0].Copy(&week.From);
    daybox->Times[1].Copy(&week.To);
}

void TfrmMainDLMR1::DestroyCalendarView(int32_t view, bool forget)
{
    Guarded("[TfrmMainDLMR1::DestroyCalendarView]", [&] {
        const CalendarViewNames* shape = NamesOf(view);
        if (shape == nullptr)
            return;
        calendarViewDeskKey_[view - 1] = -1;
        // Forgetting: the log-out deleted the components already.
        if (forget)
            return;
        View.DeleteComponent(shape->daybox, false);
        View.DeleteComponent(shape->scrollbox, false);
    });
}

void TfrmMainDLMR1::ResizeCalendarView(int32_t view, bool force)
{
    Guarded("[TfrmMainDLMR1::ResizeCalendarView]", [&] {
        TNViewItem* scrollbox = CalendarViewScrollbox(view);
        TNViewItem* daybox = CalendarViewDaybox(view);
        if (scrollbox == nullptr || daybox == nullptr)
            return;
        const int64_t key = DeskKey(pCalendarDesk);
        if (!force && key == calendarViewDeskKey_[view - 1] && !View.IsShown(scrollbox))
            return;
        const CalendarContent& c = calendarContent_;
        View.ResizeScrollbox(scrollbox, c.Left, c.Top, c.Width, c.Height, true, 1, 0, "ResizeCalendarView");
        LayOutCalendarViewTitles(view);
        TNViewInner* inner = View.GetActiveInner(scrollbox);
        plat::TWinControl* content = inner != nullptr ? inner->ContentPanel.Get() : nullptr;
        if (content != nullptr) {
            const int32_t height = view == View_ByMonth ? content->Height() : -1;
            View.ResizeDaybox(daybox, 0, 0, content->Width(), height, true, true, false);
        }
        View.ResizeScrollbox(scrollbox, c.Left, c.Top, c.Width, c.Height, true, 1, 0, "ResizeCalendarView");
        UpdateCalendarViewTitles(view);
        calendarViewDeskKey_[view - 1] = key;
    });
}

void TfrmMainDLMR1::LayOutCalendarViewTitles(int32_t view)
{
    const CalendarViewNames* shape = NamesOf(view);
    TNViewItem* scrollbox = CalendarViewScrollbox(view);
    if (shape == nullptr || scrollbox == nullptr)
        return;
    const int32_t left = view == View_ByMonth ? 0 : DayboxMetrics().TimeColumnWidth;
    const int32_t width = std::max(0, calendarContent_.Width - left);
    const int32_t days = view == View_ByDay ? 1 : shape->days;
    const int32_t dayWidth = days > 0 ? width / days : width;
    for (TNViewItem* bar : {scrollbox->TopBarItem, scrollbox->SecondBarItem}) {
        if (bar == nullptr)
            continue;
        View.ResizeToolbar(bar, 0, 0, width, bar == scrollbox->TopBarItem ? kTitleHeight : kDayNameHeight, true);
        for (int32_t i = 0; i < bar->ChildrenCount; ++i)
            View.ResizeButton(bar->Children[i], i * dayWidth, 0, i + 1 == days ? width - i * dayWidth : dayWidth,
                              bar == scrollbox->TopBarItem ? kTitleHeight : kDayNameHeight, true);
    }
}

void TfrmMainDLMR1::UpdateCalendarView(int32_t view, bool force)
{
    Guarded("[TfrmMainDLMR1::UpdateCalendarView]", [&] {
        TNViewItem* scrollbox = CalendarViewScrollbox(view);
        TNViewItem* daybox = CalendarViewDaybox(view);
        if (scrollbox == nullptr || daybox == nullptr || (!View.IsShown(scrollbox) && !force))
            return;
        if (view == View_ByMonth)
            LogText("[UpdateActuallyShownData_MonthView][BEGIN]");
        plat::TPanel* panel = scrollbox->Panel.Get();
        if (panel != nullptr)
            panel->BeginUpdate();
        View.UpdateDaybox(daybox, scrollbox, DayboxMetrics().RecordFontSize);
        if (panel != nullptr)
            panel->EndUpdate();
        UpdateCalendarViewTitles(view);
        if (force) {
            View.SetShownFlag(scrollbox, true);
            if (panel != nullptr)
                panel->SetVisible(true);
        }
        if (view == View_ByMonth)
            LogText("[UpdateActuallyShownData_MonthView][END]");
    });
}

void TfrmMainDLMR1::UpdateCalendarViewTitles(int32_t view)
{
    TNViewItem* scrollbox = CalendarViewScrollbox(view);
    if (view == View_ByDay) {
        UpdateBigButtonAndDate(calendarShownDay, View.GetComponent("scrollCalendar_DayDayNum"),
                               View.GetComponent("scrollCalendar_DayToolbar2_DayName"));
    } else if (view == View_ByMonth) {
        UpdateBigButtonAndDate_MonthView(scrollbox);
    } else {
        UpdateBigButtonAndDate_WorkWeekView_and_WeekView(scrollbox);
    }
}

void TfrmMainDLMR1::UpdateBigButtonAndDate_WorkWeekView_and_WeekView(TNViewItem* scrollbox)
{
    if (scrollbox == nullptr || scrollbox->DayboxItem == nullptr) {
        LogText("[UpdateBigButtonAndDate_WorkWeekView_and_WeekView][ERROR] calendar_scrollbox_component == NULL || "
                "calendar_scrollbox_component->DayboxItem == NULL");
        return;
    }
    const TNTime& from = scrollbox->DayboxItem->Times[0];
    const TNTime& to = scrollbox->DayboxItem->Times[1];
    if (TNViewItem* shownDate = View.GetComponent("toolbarCalendar_ShownDate"))
        View.SetButtonTitle(shownDate, WeekRangeTitle(from, to).c_str(), "", kWhite, kWhite, false, true);
    const std::string base = scrollbox->Name.Text;
    if (TNViewItem* dayNum = View.GetComponent((base + "DayNum").c_str()))
        View.SetButtonTitle(dayNum, (std::to_string(from.GetWeekOfYear()) + ".").c_str(), "TÝDEN", kWhite, kGrey, false,
                            true);
    TNTime today;
    today.SetNow();
    TNTime day;
    day.Copy(&from);
    const int32_t days = scrollbox->DayboxItem->IsDayboxMode(2) ? 5 : 7;
    for (int32_t i = 0; i < days; ++i) {
        if (TNViewItem* title = View.GetComponent(Indexed(base + "Toolbar_DayTitle", i).c_str()))
            View.SetButtonTitle(title, WeekDayTitle(day, today).c_str(), "", kWhite, kGreen, false, true);
        if (TNViewItem* name = View.GetComponent(Indexed(base + "Toolbar2_DayName", i).c_str()))
            View.SetButtonTitle(name, day.GetDayNameAnsi().c_str(), "", kWhite, kWhite, false, true);
        day.NextDay();
    }
}

void TfrmMainDLMR1::UpdateBigButtonAndDate_MonthView(TNViewItem* scrollbox)
{
    if (scrollbox == nullptr || scrollbox->DayboxItem == nullptr) {
        LogText("[UpdateBigButtonAndDate_MonthView][ERROR] calendar_scrollbox_component == NULL || "
                "calendar_scrollbox_component->DayboxItem == NULL");
        return;
    }
    if (TNViewItem* shownDate = View.GetComponent("toolbarCalendar_ShownDate"))
        View.SetButtonTitle(shownDate, MonthTitle(scrollbox->DayboxItem->Times[3]).c_str(), "", kWhite, kWhite, false,
                            true);
    const std::string base = scrollbox->Name.Text;
    for (int32_t i = 0; i < 7; ++i) {
        if (TNViewItem* title = View.GetComponent(Indexed(base + "Toolbar_DayTitle", i).c_str()))
            View.SetButtonTitle(title, TNTime::DayName(i + 1), "", kWhite, kWhite, false, true);
    }
}
