// The day boxes' drawn backgrounds (hour rows and the month grid), the home
// day box's size mode and the re-layout of the shown page after a resize.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "mainwindow/calendar_dates.h"
#include "mainwindow/main_window.h"
#include "mainwindow/menu_items.h"
#include "mainwindow/page_services.h"
#include "model/pim.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/image.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "view/daybox_metrics.h"
#include "view/image_table.h"
#include "view/view.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr plat::TColor kLineColor = 0xEBEBEB;
constexpr plat::TColor kLabelColor = 0x7F7F7F;
constexpr plat::TColor kOtherMonthColor = 0xF7F5F3;
constexpr plat::TColor kTodayColor = 0x77CA90;

struct DayboxModeItem {
    int32_t mode;
    const char* name;
    const char* caption;
    int32_t rowHeight;
    int32_t second;
};

constexpr DayboxModeItem kDayboxModes[] = {
    {2, "pmnuHPDayboxModeDynamic_small", "Dynamické (malé)", 15, 8},
    {4, "pmnuHPDayboxModeDynamic_normal", "Dynamické (normální)", 20, 10},
    {6, "pmnuHPDayboxModeDynamic_big", "Dynamické (velké)", 23, 10},
    {12, "pmnuHPDayboxModeStandard_small", "Běžné (malé)", 15, 8},
    {14, "pmnuHPDayboxModeStandard_normal", "Běžné (normální)", 20, 10},
    {16, "pmnuHPDayboxModeStandard_big", "Běžné (velké)", 23, 10},
};

const DayboxModeItem* FindDayboxMode(int32_t mode)
{
    for (const DayboxModeItem& item : kDayboxModes)
        if (item.mode == mode)
            return &item;
    return nullptr;
}

// Accepted without a change of size.
bool IsKeptMode(int32_t mode)
{
    return mode == 0 || mode == 8 || mode == 10 || mode == 18;
}

void Line(plat::TCanvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

void UseViewFont(plat::TCanvas& canvas, plat::TColor color)
{
    canvas.Font.SetName(View.FontName);
    canvas.Font.SetSize(View.FontSize);
    canvas.Font.SetColor(color);
}

bool IsTodayDate(int32_t day, int32_t month, int32_t year)
{
    TNTime today;
    today.SetNow();
    return today.Den == day && today.Mesic == month && today.Rok == year;
}

} // namespace

void TfrmMainDLMR1::CreateDynamicImages()
{
    Guarded("[TfrmMainDLMR1::CreateDynamicImages]", [&] {
        for (int32_t quarter : {10, 15, 20, 23, 30})
            CreateDynamicImage_CalendarOneDay(("bgCalendarOneDay" + std::to_string(4 * quarter)).c_str(), quarter);
    });
}

void TfrmMainDLMR1::CreateDynamicImage_CalendarOneDay(const char* name, int32_t q)
{
    Guarded("[TfrmMainDLMR1::CreateDynamicImage_CalendarOneDay]", [&] {
        const int32_t timeColumn = DayboxMetrics().TimeColumnWidth;
        const int32_t width = plat::Screen::Width();
        plat::TImage* image = ImageTable.CreateBlankImage(name, width, 24 * 4 * q + 1, plat::clWhite);
        if (image == nullptr)
            return;
        plat::TCanvas& canvas = image->Picture().Bitmap().Canvas();
        UseViewFont(canvas, kLabelColor);
        canvas.Brush.Style = plat::TBrushStyle::bsClear;
        char label[8];
        for (int32_t hour = 0; hour < 24; ++hour) {
            std::snprintf(label, sizeof label, "%02d:00", hour);
            canvas.TextOut(timeColumn - 33, 4 * q * hour + 4, label);
        }
        canvas.Pen.Color = kLineColor;
        canvas.Pen.Width = 1;
        Line(canvas, timeColumn - 1, 0, timeColumn - 1, 96 * q);
        for (int32_t i = 1; i <= 96; ++i)
            Line(canvas, i % 4 == 0 ? 0 : timeColumn - 1, i * q, width, i * q);
    });
}

void TfrmMainDLMR1::CreateDynamicImage_CalendarMonth(const char* name, int32_t width, TNViewItem* daybox,
                                                     int32_t height)
{
    Guarded("[TfrmMainDLMR1::CreateDynamicImage_CalendarMonth]", [&] {
        LogText("[ResizeMonthCalendar][BEGIN]");
        if (daybox == nullptr) {
            LogText("[CreateDynamicImage_CalendarMonth][ERROR] daybox_item = NULL");
            return;
        }
        const int32_t weeks = daybox->MonthRows;
        if (weeks < 1 || daybox->MonthDayTable == nullptr) {
            LogTextInt("[CreateDynamicImage_CalendarMonth][ERROR] daybox_item->shownWeeksCount = ", weeks);
            return;
        }
        if (!View.CalcWidthsAnsHeightsOfMonthViewCalendar(daybox, width, height, 7, weeks))
            return;
        plat::TImage* image = ImageTable.CreateBlankImage(name, width, height, kOtherMonthColor);
        if (image == nullptr)
            return;
        plat::TCanvas& canvas = image->Picture().Bitmap().Canvas();
        const int32_t* widths = daybox->MonthColumnWidths;
        const int32_t* heights = daybox->MonthRowHeights;
        const int32_t band = DayboxMetrics().MonthHeaderHeight;
        const int32_t* days = daybox->MonthDayTable;

        // Which cells belong to the shown month: from its day 1 to the day
        // before the next month's day 1.
        int32_t month = daybox->Times[0].Mesic;
        int32_t year = daybox->Times[0].Rok;
        bool inShown = days[0] == 1;
        int32_t top = 0;
        for (int32_t row = 0; row < weeks; ++row) {
            int32_t left = 0;
            for (int32_t column = 0; column < 7; ++column) {
                const int32_t day = days[row * 7 + column];
                const bool first = day == 1;
                if (first && !(row == 0 && column == 0)) {
                    inShown = !inShown;
                    if (++month > 12) {
                        month = 1;
                        ++year;
                    }
                }
                const plat::TColor fill = inShown ? plat::clWhite : kOtherMonthColor;
                canvas.Brush.Style = plat::TBrushStyle::bsSolid;
                canvas.Brush.Color = fill;
                canvas.FillRect(plat::Bounds(left, top, widths[column], heights[row]));
                if (IsTodayDate(day, month, year)) {
                    canvas.Brush.Color = kTodayColor;
                    canvas.FillRect(plat::Bounds(left, top, widths[column], band));
                }
                char label[16];
                if (first)
                    std::snprintf(label, sizeof label, "%d. %d.", day, month);
                else if (day != 0)
                    std::snprintf(label, sizeof label, "%d", day);
                else
                    label[0] = '\0';
                UseViewFont(canvas, inShown ? kLabelColor : plat::clBlack);
                canvas.Brush.Style = plat::TBrushStyle::bsClear;
                canvas.TextOut(left + 7, top + 1, label);
                left += widths[column];
            }
            top += heights[row];
        }

        canvas.Pen.Color = kLineColor;
        canvas.Pen.Width = 1;
        int32_t x = 0;
        for (int32_t column = 0; column + 1 < 7; ++column) {
            x += widths[column];
            Line(canvas, x - 1, 0, x - 1, height);
        }
        int32_t y = 0;
        for (int32_t row = 0; row < weeks; ++row) {
            if (row > 0)
                Line(canvas, 0, y, width, y);
            Line(canvas, 0, y + band, width, y + band);
            y += heights[row];
        }
        if (plat::TImage* picture = daybox->Images[1].Get())
            picture->Picture().Assign(image->Picture());
    });
}

void TfrmMainDLMR1::SetUpDayboxModeValues(int32_t mode, bool apply)
{
    Guarded("[TfrmMainDLMR1::SetUpDayboxModeValues]", [&] {
        if (FindDayboxMode(mode) == nullptr && !IsKeptMode(mode)) {
            LogTextInt("[TfrmMainDLMR1::SetUpDayboxModeValues][ERROR] Unknown mode = ", mode);
            mode = 4;
        }
        const DayboxModeItem* sizes = FindDayboxMode(mode);
        for (const DayboxModeItem& item : kDayboxModes) {
            if (plat::TMenuItem* menu = pmnuHPDayboxMode != nullptr ? pmnuHPDayboxMode->FindByName(item.name) : nullptr)
                menu->SetChecked(&item == sizes);
        }
        if (sizes != nullptr && PIM[0] != nullptr) {
            PIM[0]->ViewMetrics[1] = sizes->rowHeight;
            PIM[0]->ViewMetrics[2] = sizes->second;
        }
        if (!apply)
            return;
        Setup.SetValue("homepageCalendarDayboxMode", mode, TNSetupItem::kInt32);
        TNViewItem* daybox = View.GetComponent("scrollHpCalendarDaybox");
        if (daybox == nullptr)
            return;
        daybox->daybox_mode = mode;
        if (mode >= 10 && mode <= 18) {
            const std::string name = "bgCalendarOneDay" + std::to_string(4 * DayboxMetrics().RowHeight);
            plat::TImage* cached = ImageTable.GetImage(name.c_str(), true);
            plat::TImage* picture = daybox->Images[1].Get();
            if (cached != nullptr && picture != nullptr && cached->Picture().Graphic() != nullptr)
                picture->Picture().Assign(cached->Picture());
            Pages().ResizeHomepageComponents();
        }
        daybox->QuarterRowHeight = DayboxMetrics().RowHeight;
        if (pHpDesk != nullptr && daybox->Panel.Get() != nullptr) {
            plat::TPanel* panel = daybox->Panel.Get();
            panel->BeginUpdate();
            View.ResizeDaybox(daybox, panel->Left(), panel->Top(), panel->Width(), pHpDesk->Height(), true, true,
                              false);
            panel->EndUpdate();
        }
    });
}

void TfrmMainDLMR1::ResizeDayboxes()
{
    Guarded("[TfrmMainDLMR1::ResizeDayboxes]", [&] {
        switch (controlActive) {
        case kHomepage:
            Pages().ResizeHomepageComponents();
            for (const char* name : {"scrollHpCalendarDaybox", "scrollHpCalendarNextDaybox"}) {
                TNViewItem* daybox = View.GetComponent(name);
                plat::TPanel* panel = daybox != nullptr ? daybox->Panel.Get() : nullptr;
                if (panel == nullptr || pHpDesk == nullptr)
                    continue;
                panel->BeginUpdate();
                View.ResizeDaybox(daybox, panel->Left(), panel->Top(), panel->Width(), pHpDesk->Height(), true, true,
                                  false);
                panel->EndUpdate();
            }
            break;
        case kCalendar:
            Pages().ResizeCalendarComponents();
            break;
        case kTasks:
            Pages().ResizeTasksComponents(1);
            break;
        case kNotes:
            Pages().ResizeNotesComponents();
            break;
        case kPages:
            Pages().ResizePagesComponents();
            break;
        case kSearch:
            Pages().ResizeSearchComponents();
            break;
        default:
            break;
        }
    });
}

void TfrmMainDLMR1::CreateCalendarMenus()
{
    // The home page hangs this submenu into its calendar menu.
    pmnuHPDayboxMode = new plat::TMenuItem(this);
    pmnuHPDayboxMode->SetName("pmnuHPDayboxMode");
    pmnuHPDayboxMode->SetCaption("Zobrazení kalendáře");
    for (const DayboxModeItem& item : kDayboxModes) {
        const int32_t mode = item.mode;
        plat::TMenuItem* menu = AddMenuItem(this, pmnuHPDayboxMode, item.name, item.caption,
                                            [this, mode] { SetUpDayboxModeValues(mode, true); });
        menu->SetRadioItem(true);
        menu->SetGroupIndex(1);
    }

    popupCalendarFilterMenu = new plat::TPopupMenu(this);
    popupCalendarFilterMenu->SetName("popupCalendarFilterMenu");
    struct FilterItem {
        const char* name;
        const char* caption;
        void (TfrmMainDLMR1::*click)();
    };
    static constexpr FilterItem kFilterItems[] = {
        {"pmnuCalendarFilter_NoShow", "Nezobrazovat filtr kalendáře/stránky",
         &TfrmMainDLMR1::pmnuCalendarFilter_NoShowClick},
        {"pmnuCalendarFilter_ShowAsLeftColumn", "Zobrazit vlevo",
         &TfrmMainDLMR1::pmnuCalendarFilter_ShowAsLeftColumnClick},
        {"pmnuCalendarFilter_ShowAsRightColumn", "Zobrazit vpravo",
         &TfrmMainDLMR1::pmnuCalendarFilter_ShowAsRightColumnClick},
    };
    for (const FilterItem& item : kFilterItems) {
        const auto click = item.click;
        plat::TMenuItem* menu = AddMenuItem(this, popupCalendarFilterMenu->Items(), item.name, item.caption,
                                            [this, click] { (this->*click)(); });
        menu->SetRadioItem(true);
        menu->SetGroupIndex(1);
    }
}
