// The calendar page's frame: its toolbar, the switch between the views, the
// date steps of "Dnes", previous and next, the relative-day caption and the
// refresh of every day box.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "mainwindow/calendar_dates.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/pim.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <cstdio>
#include <string>

namespace {

constexpr const char* kToolbar = "toolbarCalendar";
constexpr int32_t kToolbarHeight = 32;
constexpr plat::TColor kWhite = 0xFFFFFF;

struct ToolbarButton {
    const char* name;
    const char* caption;
    const char* icon;
    int32_t width;
    // The view-by mode of the button; 0 for the others.
    int32_t mode;
};

constexpr ToolbarButton kToolbarButtons[] = {
    {"Home", "Dnes", "imgToday", 80, 0},
    {"Previous", "", "imgArrowPrevious", 32, 0},
    {"Next", "", "imgArrowNext", 32, 0},
    {"ShownDate", "", nullptr, 200, 0},
    {"View_ByDay", "Denní", nullptr, 80, View_ByDay},
    {"View_ByWorkWeek", "Pracovní týden", nullptr, 120, View_ByWorkWeek},
    {"View_ByWeek", "Týdenní", nullptr, 80, View_ByWeek},
    {"View_ByMonth", "Měsíční", nullptr, 80, View_ByMonth},
    {"calendarShowFilterMenuButton", "Filtr", nullptr, 70, 1},
    {"FillTheRest", "", nullptr, 0, 0},
};

std::string ToolbarItemName(const char* item)
{
    return std::string(kToolbar) + "_" + item;
}

int64_t NowTimestamp()
{
    TNTime now;
    now.SetNow();
    return now.Timestamp;
}

} // namespace

void TfrmMainDLMR1::CreateCalendarToolbar()
{
    TNViewItem* toolbar =
        View.CreateComponent(cmpToolbar, kToolbar, this, pCalendarDesk, 0, "", 1, -1, nullptr, nullptr, 3);
    if (toolbar == nullptr)
        return;
    for (const ToolbarButton& shape : kToolbarButtons) {
        TNViewItem* prepared = View.priToolbar(toolbar, cmpButton, shape.name, 0);
        if (prepared == nullptr)
            continue;
        prepared->ButtonTitle = TNString(shape.caption);
        if (shape.icon != nullptr)
            prepared->IconName = TNString(shape.icon);
        TNViewItem* button = View.AddToolbarComponent(prepared);
        if (button == nullptr)
            continue;
        button->Value = shape.mode;
        if (shape.width == 0)
            button->LayoutCode = -999;
        View.ResizeButton(button, 0, 0, shape.width, kToolbarHeight, true);
        plat::TLabel* control = button->TitleLabel.Get();
        if (control == nullptr)
            continue;
        const std::string name = shape.name;
        if (name == "Home")
            control->OnClick = [this](plat::TComponent*) { calendarTodayClick(); };
        else if (name == "Previous")
            control->OnClick = [this](plat::TComponent*) { calendarPreviousClick(); };
        else if (name == "Next")
            control->OnClick = [this](plat::TComponent*) { calendarNextClick(); };
        else if (name == "calendarShowFilterMenuButton")
            control->OnMouseDown = [this](plat::TComponent* sender, plat::TMouseButton button, plat::TShiftState, int x,
                                          int y) { showCalendarFilterMenuButtonMouseDown(sender, button, x, y); };
        else if (shape.mode > 0)
            control->OnMouseDown = [this](plat::TComponent* sender, plat::TMouseButton button, plat::TShiftState, int,
                                          int) { calendarViewByMouseDown(sender, button); };
    }
}

void TfrmMainDLMR1::CreateCalendarComponents()
{
    Guarded("[TfrmMainDLMR1::CreateCalendarComponents]", [&] {
        // Built whenever the toolbar is missing: the log-out deletes it.
        if (pCalendarDesk == nullptr || gDesk == nullptr || View.GetComponent(kToolbar) != nullptr)
            return;
        pCalendarDesk->SetBounds(0, 0, gDesk->Width(), gDesk->Height());
        CreateCalendarToolbar();
        calendarChangeActivationOfViewByButton(calendarViewBy, true);
        ResizeCalendarComponents();
        ShowCalendarView(-1, calendarViewBy);
    });
}

void TfrmMainDLMR1::ResizeCalendarComponents()
{
    Guarded("[TfrmMainDLMR1::ResizeCalendarComponents]", [&] {
        if (pCalendarDesk == nullptr || gDesk == nullptr)
            return;
        pCalendarDesk->SetBounds(0, 0, gDesk->Width(), gDesk->Height());
        int32_t toolbarHeight = 0;
        if (TNViewItem* toolbar = View.GetComponent(kToolbar)) {
            View.ResizeToolbar(toolbar, 0, 0, pCalendarDesk->Width(), kToolbarHeight, false);
            toolbarHeight = toolbar->Panel.Get() != nullptr ? toolbar->Panel.Get()->Height() : kToolbarHeight;
        }
        const int32_t showFilter = Setup.GetInt("calendarShowFilter");
        const int32_t filterWidth =
            Setup.Find("calendarFilterWidth") >= 0 ? Setup.GetInt("calendarFilterWidth") : kCalendarFilterWidth;
        const TNCalendarLayout layout =
            CalendarPageLayout(gDesk->Width(), gDesk->Height(), toolbarHeight, showFilter, filterWidth);
        plat::TPanel* column = calendarFilterColumn_.Get();
        if (column != nullptr && View.GetComponent(kCalendarFilterName) != nullptr) {
            column->SetVisible(layout.FilterShown);
            if (layout.FilterBoundsSet)
                column->SetBounds(layout.Filter.Left, layout.Filter.Top, layout.Filter.Width, layout.Filter.Height);
        }
        calendarContent_ = {layout.Content.Left, layout.Content.Top, layout.Content.Width, layout.Content.Height};
        for (int32_t view = 1; view <= 4; ++view) {
            if (TNViewItem* scrollbox = CalendarViewScrollbox(view))
                View.ResizeScrollbox(scrollbox, layout.Content.Left, layout.Content.Top, layout.Content.Width,
                                     layout.Content.Height, false, 1, 0, "ResizeCalendarComponents");
        }
        ResizeCalendarComponents_Filter(false);
        for (int32_t view = 1; view <= 4; ++view)
            ResizeCalendarView(view, false);
    });
}

void TfrmMainDLMR1::ShowCalendarView(int32_t oldMode, int32_t newMode)
{
    Guarded("[TfrmMainDLMR1::ShowCalendarView]", [&] {
        LogText("[ShowCalendarView][BEGIN]");
        const int32_t oldView = CalendarViewOfMode(oldMode);
        const int32_t newView = CalendarViewOfMode(newMode);
        TNViewItem* old = oldMode > 0 ? CalendarViewScrollbox(oldView) : nullptr;
        if (old != nullptr && oldMode == newMode)
            return;
        if (old != nullptr)
            View.SetShownFlag(old, false);
        const bool filterShown = Setup.GetInt("calendarShowFilter") >= 1;
        if (plat::TPanel* column = calendarFilterColumn_.Get())
            column->SetVisible(filterShown);
        if (filterShown) {
            const bool columnBuilt = View.GetComponent(kCalendarFilterName) != nullptr;
            CreateCalendarComponents_Filter();
            // A column built only now missed the page layout of the first
            // build and would stay at 0 x 0.
            if (!columnBuilt && View.GetComponent(kCalendarFilterName) != nullptr)
                ResizeCalendarComponents();
        }
        if (CalendarViewScrollbox(newView) == nullptr)
            CreateCalendarView(newView);
        TNViewItem* shown = CalendarViewScrollbox(newView);
        if (shown != nullptr) {
            View.SetShownFlag(shown, true);
            if (shown->Panel.Get() != nullptr)
                shown->Panel.Get()->SetVisible(true);
            ResizeCalendarView(newView, true);
        }
        calendarViewBy = newMode;
        UpdateActuallyShownData("ShowCalendarView");
        // The view the old mode was shown as, also for the modes without a
        // view of their own, unless it is the new one.
        if (old != nullptr && oldView != newView) {
            if (old->Panel.Get() != nullptr)
                old->Panel.Get()->SetVisible(false);
            View.SetShownFlag(old, false);
        }
    });
}

void TfrmMainDLMR1::calendarChangeActivationOfViewByButton(int32_t mode, bool active)
{
    Guarded("[TfrmMainDLMR1::calendarChangeActivationOfViewByButton]", [&] {
        if (View.GetComponent(kToolbar) == nullptr)
            return;
        if (TNViewItem* button = View.GetComponent(ToolbarItemName(CalendarViewByName(mode)).c_str()))
            button->SetActiveButtonColors(active);
    });
}

void TfrmMainDLMR1::calendarViewByMouseDown(plat::TComponent* sender, plat::TMouseButton button)
{
    Guarded("[TfrmMainDLMR1::calendarViewByMouseDown]", [&] {
        btnESCClick();
        if (button != plat::TMouseButton::mbLeft)
            return;
        TNViewItem* item = View.GetComponentByHandle(sender);
        if (item == nullptr || item->Value <= 0)
            return;
        const int32_t old = calendarViewBy;
        calendarChangeActivationOfViewByButton(old, false);
        calendarChangeActivationOfViewByButton(item->Value, true);
        calendarViewBy = item->Value;
        Setup.SetValue("calendarViewBy", item->Value, TNSetupItem::kInt32);
        ShowCalendarView(old, item->Value);
    });
}

void TfrmMainDLMR1::StepCalendar(int32_t step, const char* caller)
{
    const auto how = static_cast<TNCalendarStep>(step);
    timerSetCalendarToToday->SetEnabled(false);
    const int64_t now = NowTimestamp();
    const int32_t view = CalendarViewOfMode(calendarViewBy);
    TNViewItem* daybox = CalendarViewDaybox(view);
    if (daybox != nullptr) {
        if (view == View_ByDay) {
            calendarShownDay = CalendarDayStep(calendarShownDay, how, now);
            daybox->Times[0].Copy(&calendarShownDay);
            daybox->Times[1].Copy(&calendarShownDay);
            if (PIM[0] != nullptr)
                PIM[0]->ViewCache[0].valid = false;
        } else if (view == View_ByMonth) {
            const TNTime month = CalendarMonthStep(daybox->Times[3], how, now);
            SetMonthViewDayboxDate(daybox, &month);
        } else {
            const TNDateRange range = CalendarWeekStep(daybox->Times[0], view == View_ByWorkWeek, how, now);
            daybox->Times[0].Copy(&range.From);
            daybox->Times[1].Copy(&range.To);
        }
    }
    UpdateActuallyShownData(caller);
}

void TfrmMainDLMR1::calendarTodayClick()
{
    Guarded("[TfrmMainDLMR1::calendarTodayClick]",
            [&] { StepCalendar(static_cast<int32_t>(TNCalendarStep::Today), "calendarTodayClick"); });
}

void TfrmMainDLMR1::calendarPreviousClick()
{
    Guarded("[TfrmMainDLMR1::calendarPreviousClick]",
            [&] { StepCalendar(static_cast<int32_t>(TNCalendarStep::Previous), "calendarPreviousClick"); });
}

void TfrmMainDLMR1::calendarNextClick()
{
    Guarded("[TfrmMainDLMR1::calendarNextClick]", [&] {
        LogText("[calendarNextClick][BEGIN]");
        LogText("[calendarNextClick] Calling UpdateActuallyShownData()");
        StepCalendar(static_cast<int32_t>(TNCalendarStep::Next), "calendarNextClick");
        LogText("[calendarNextClick][END]");
    });
}

void TfrmMainDLMR1::SetMonthViewDayboxDate(TNViewItem* daybox, const TNTime* date)
{
    Guarded("[TfrmMainDLMR1::SetMonthViewDayboxDate]", [&] {
        if (daybox == nullptr) {
            LogText("[SetMonthViewDayboxDate][ERROR] daybox_item = NULL");
            return;
        }
        TNTime month;
        if (date != nullptr)
            month.Copy(date);
        else
            month.SetNow();
        const TNMonthGrid grid = MonthViewGrid(month);
        daybox->Times[0].Copy(&grid.Range.From);
        daybox->Times[1].Copy(&grid.Range.To);
        // Times[3] holds the shown month.
        daybox->Times[3].Copy(&grid.ShownMonth);
        if (daybox->MonthDayTable == nullptr)
            daybox->MonthDayTable = static_cast<int32_t*>(std::calloc(49, sizeof(int32_t)));
        if (daybox->MonthDayTable == nullptr)
            return;
        for (int32_t cell = 0; cell < 49; ++cell)
            daybox->MonthDayTable[cell] = grid.Days[cell / 7][cell % 7];
        daybox->MonthRows = grid.Weeks;
    });
}

void TfrmMainDLMR1::UpdateBigButtonAndDate(const TNTime& date, TNViewItem* bigButton, TNViewItem* dayNameButton)
{
    Guarded("[TfrmMainDLMR1::UpdateBigButtonAndDate]", [&] {
        TNTime today;
        today.SetNow();
        const TNRelativeDay relative = RelativeDayCaption(today, date);
        if (bigButton != nullptr)
            View.SetButtonTitle(bigButton, std::to_string(date.Den).c_str(), relative.Caption.c_str(), kWhite,
                                relative.Color, false, true);
        if (dayNameButton != nullptr)
            View.SetButtonTitle(dayNameButton, date.GetDayNameAnsi().c_str(), "", kWhite, relative.Color, false, true);
        TNViewItem* toolbar = View.GetComponent(kToolbar);
        TNViewItem* daybox = CalendarViewDaybox(View_ByDay);
        TNViewItem* shownDate = View.GetComponent(ToolbarItemName("ShownDate").c_str());
        if (toolbar == nullptr || daybox == nullptr || shownDate == nullptr)
            return;
        View.SetButtonTitle(shownDate, MonthTitle(daybox->Times[0]).c_str(), "", kWhite, kWhite, false, true);
    });
}

TNViewItem* TfrmMainDLMR1::UpdateAllRedlines()
{
    return Guarded("[TfrmMainDLMR1::UpdateAllRedlines]", static_cast<TNViewItem*>(nullptr), [&] {
        TNViewItem* last = nullptr;
        if (TNViewItem* home = View.GetComponent("scrollHpCalendarDaybox")) {
            View.UpdateRedline(home);
            last = home;
        }
        for (int32_t view = 1; view <= 4; ++view) {
            if (TNViewItem* daybox = CalendarViewDaybox(view)) {
                View.UpdateRedline(daybox);
                last = daybox;
            }
        }
        return last;
    });
}

void TfrmMainDLMR1::RefreshAllDayboxes(const char* caller)
{
    Guarded("[TfrmMainDLMR1::RefreshAllDayboxes]", [&] {
        if (View.RefreshInhibited != 0)
            return;
        for (int32_t i = 0; i < View.ItemsCount; ++i) {
            TNViewItem* item = View.Items[i];
            if (item != nullptr && item->Type == cmpDaybox)
                item->SnapshotCount = -1;
        }
        if (PIM[0] != nullptr)
            PIM[0]->ViewCache[1].valid = false;
        UpdateActuallyShownData(caller != nullptr ? caller : "RefreshAllDayboxes");
    });
}

void TfrmMainDLMR1::ClearCalendarPageState()
{
    for (int64_t& key : calendarViewDeskKey_)
        key = -1;
    calendarFilterDeskKey_ = -1;
}

void TfrmMainDLMR1::DestroyCalendarComponents()
{
    Guarded("[TfrmMainDLMR1::DestroyCalendarComponents]", [&] {
        DestroyCalendarComponents_Filter();
        for (int32_t view = 1; view <= 4; ++view)
            DestroyCalendarView(view, true);
    });
}
