// The calendar's filter column: the authors whose records the day boxes
// show, its menu and the visibility test the day-box fill asks.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "mainwindow/calendar_dates.h"
#include "mainwindow/main_window.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "online/hooks.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "view/hooks.h"
#include "view/view.h"

#include <string>

namespace {

constexpr const char* kAuthorBox = "scrollCalendar_Filter_Author";
constexpr const char* kSelectAll = "btnCalendarFilterAuthors_SelectAll";
constexpr int32_t kRowHeight = 23;
constexpr int32_t kBarHeight = 28;
constexpr uint8_t kAuthor = TNPIMOrganizers::kFilterAuthor;

std::string AuthorButtonName(uint32_t id)
{
    return "btnCalendarFilterAuthors" + std::to_string(id);
}

TNPIMOrganizers* FilterList()
{
    return PIM[0] != nullptr ? &PIM[0]->Organizers : nullptr;
}

// Every author entry (type 1, id above 0) that has its button.
template <class Fn> void ForEachAuthorButton(TNPIMOrganizers& list, Fn fn)
{
    for (int32_t i = 0; i < list.FilterListCount; ++i) {
        const auto at = static_cast<size_t>(i);
        if (list.FilterListKind[at] != kAuthor || list.FilterListAuthorID[at] == 0)
            continue;
        if (TNViewItem* button = View.GetComponent(AuthorButtonName(list.FilterListAuthorID[at]).c_str()))
            fn(at, *button);
    }
}

void ShowMark(TNViewItem& button, bool checked)
{
    button.Marked = checked ? 1 : 0;
    View.SetButtonCheckbox(&button);
}

TNViewItem* AddTitleBar(TfrmMainDLMR1& form, TNViewItem* scrollbox, const char* caption, const char* icon)
{
    const std::string name = std::string(scrollbox->Name.Text) + "Toolbar";
    TNViewItem* bar = View.CreateComponent(cmpToolbar, name.c_str(), &form, scrollbox->TopBarPanel.Get(), 0, "", 1, -1,
                                           nullptr, scrollbox, 3);
    if (bar == nullptr)
        return nullptr;
    scrollbox->TopBarItem = bar;
    scrollbox->TopBarShown = 1;
    scrollbox->TopBarHeight = kBarHeight;
    if (TNViewItem* prepared = View.priToolbar(bar, cmpButton, "FilterWindowTitle", 0)) {
        prepared->ButtonTitle = TNString(caption);
        prepared->IconName = TNString(icon);
        if (TNViewItem* title = View.AddToolbarComponent(prepared))
            title->LayoutCode = -999;
    }
    return bar;
}

} // namespace

void TfrmMainDLMR1::showCalendarFilterMenuButtonMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t,
                                                          int32_t)
{
    Guarded("[TfrmMainDLMR1::showCalendarFilterMenuButtonMouseDown]", [&] {
        btnESCClick();
        if (button != plat::TMouseButton::mbLeft)
            return;
        TNViewItem* item = View.GetComponentByHandle(sender);
        if (item == nullptr || item->Value <= 0 ||
            !item->Name.Equals("toolbarCalendar_calendarShowFilterMenuButton", true, false))
            return;
        item->SetActiveButtonColors(true);
        popupCalendarFilterMenu->SetTag(1);
        const int32_t shown = Setup.GetInt("calendarShowFilter");
        const char* checked = shown == 1   ? "pmnuCalendarFilter_ShowAsLeftColumn"
                              : shown == 2 ? "pmnuCalendarFilter_ShowAsRightColumn"
                                           : "pmnuCalendarFilter_NoShow";
        if (plat::TMenuItem* menu = popupCalendarFilterMenu->FindByName(checked))
            menu->SetChecked(true);
        if (plat::TPanel* panel = item->Panel.Get()) {
            const plat::TPoint corner = panel->ClientToScreen(plat::TPoint{0, panel->Height()});
            popupCalendarFilterMenu->Popup(corner.x, corner.y);
        }
        item->SetActiveButtonColors(false);
    });
}

void TfrmMainDLMR1::pmnuCalendarFilter_NoShowClick()
{
    Guarded("[TfrmMainDLMR1::pmnuCalendarFilter_NoShowClick]", [&] {
        Setup.SetValue("calendarShowFilter", 0, TNSetupItem::kInt32);
        // Closed, the column filters nothing: every author shows again.
        calendarFilterAllSelected = 1;
        DestroyCalendarComponents_Filter();
        ResizeCalendarComponents();
        RefreshAllDayboxes("pmnuCalendarFilter_NoShowClick");
    });
}

void TfrmMainDLMR1::pmnuCalendarFilter_ShowAsLeftColumnClick()
{
    Guarded("[TfrmMainDLMR1::pmnuCalendarFilter_ShowAsLeftColumnClick]", [&] {
        Setup.SetValue("calendarShowFilter", 1, TNSetupItem::kInt32);
        CreateCalendarComponents_Filter();
        ResizeCalendarComponents();
    });
}

void TfrmMainDLMR1::pmnuCalendarFilter_ShowAsRightColumnClick()
{
    Guarded("[TfrmMainDLMR1::pmnuCalendarFilter_ShowAsRightColumnClick]", [&] {
        Setup.SetValue("calendarShowFilter", 2, TNSetupItem::kInt32);
        CreateCalendarComponents_Filter();
        ResizeCalendarComponents();
    });
}

void TfrmMainDLMR1::btnCalendarFilterCloseClick()
{
    popupCalendarFilterMenu->SetTag(1);
    pmnuCalendarFilter_NoShowClick();
}

void TfrmMainDLMR1::CreateCalendarComponents_Filter()
{
    Guarded("[TfrmMainDLMR1::CreateCalendarComponents_Filter]", [&] {
        if (View.GetComponent(kCalendarFilterName) != nullptr || pCalendarDesk == nullptr)
            return;
        plat::TPanel* column = calendarFilterColumn_.Get();
        if (column == nullptr) {
            column = new plat::TPanel(this);
            column->SetName("pCalendarFilter");
            column->SetBevelOuter(plat::TBevelCut::bvNone);
            column->SetBevelInner(plat::TBevelCut::bvNone);
            column->SetColor(View.FormColor);
            column->SetBounds(0, 0, 0, 0);
            column->SetParent(pCalendarDesk);
            calendarFilterColumn_ = column;
        }
        column->SetVisible(true);
        TNViewItem* box =
            View.CreateComponent(cmpScrollbox, kCalendarFilterName, this, column, 0, "", 1, -1, nullptr, nullptr, 3);
        if (box == nullptr)
            return;
        if (TNViewItem* bar = AddTitleBar(*this, box, "Filtr", "imgFilter16")) {
            if (TNViewItem* prepared = View.priToolbar(bar, cmpButton, "Close", 1)) {
                prepared->IconName = TNString("imgSmallCloseXBlack");
                if (TNViewItem* close = View.AddToolbarComponent(prepared)) {
                    View.ResizeButton(close, 0, 0, kBarHeight, kBarHeight, true);
                    if (plat::TLabel* control = close->TitleLabel.Get())
                        control->OnClick = [this](plat::TComponent*) { btnCalendarFilterCloseClick(); };
                }
            }
        }
        TNViewInner* inner = View.GetActiveInner(box);
        TNViewItem* authors =
            View.CreateComponent(cmpScrollbox, kAuthorBox, this, inner != nullptr ? inner->ContentPanel.Get() : nullptr,
                                 0, "", 1, -1, nullptr, box, 3);
        if (authors != nullptr)
            AddTitleBar(*this, authors, "Autor záznamu", "imgSharedSilver12");
        calendarFilterDeskKey_ = -1;
        CreateCalendarComponents_Filter_AuthorFilter();
    });
}

void TfrmMainDLMR1::CreateCalendarComponents_Filter_AuthorFilter()
{
    Guarded("[TfrmMainDLMR1::CreateCalendarComponents_Filter_AuthorFilter]", [&] {
        if (View.GetComponent(kCalendarFilterName) == nullptr) {
            LogText("[TfrmMainDLMR1::CreateCalendarComponents_Filter_AuthorFilter][ERROR][scrollCalendar_Filter=NULL]"
                    "[RETURN]");
            return;
        }
        TNViewItem* authors = View.GetComponent(kAuthorBox);
        if (authors == nullptr) {
            LogText("[TfrmMainDLMR1::CreateCalendarComponents_Filter_AuthorFilter][ERROR][scrollCalendar_Filter_"
                    "Author=NULL][RETURN]");
            return;
        }
        TNViewInner* inner = View.GetActiveInner(authors);
        if (authors->ActiveInnerPos < 0 || inner == nullptr) {
            LogText("[TfrmMainDLMR1::CreateCalendarComponents_Filter_AuthorFilter][ERROR][RETURN] "
                    "scrollCalendar_Filter_Author->ActiveInnerPos < 0");
            return;
        }
        plat::TWinControl* content = inner->ContentPanel.Get();
        const auto addButton = [&](const std::string& name, const std::string& caption, bool checked) {
            auto* shape = new TNViewItem();
            shape->Init();
            shape->ButtonTitle = TNString(caption);
            shape->HasCheckbox = 1;
            shape->Marked = checked ? 1 : 0;
            TNViewItem* button =
                View.CreateComponent(cmpButton, name.c_str(), this, content, 0, "", 1, -1, shape, authors, 3);
            if (button != nullptr)
                View.SetButtonCheckbox(button);
            return button;
        };
        if (TNViewItem* all = addButton(kSelectAll, "Vybrat vše", true)) {
            all->OnButtonClick = [](TNViewItem*) {
                if (frmMainDLMR1 != nullptr)
                    frmMainDLMR1->btnCalendarFilterAuthors_SelectAllClick();
            };
            if (plat::TLabel* control = all->TitleLabel.Get())
                control->OnClick = [this](plat::TComponent*) { btnCalendarFilterAuthors_SelectAllClick(); };
        }
        TNPIMOrganizers* list = FilterList();
        for (int32_t i = 0; list != nullptr && i < list->FilterListCount; ++i) {
            const auto at = static_cast<size_t>(i);
            const uint32_t id = list->FilterListAuthorID[at];
            if (list->FilterListKind[at] != kAuthor || id == 0 || static_cast<int32_t>(id) <= 0)
                continue;
            TNViewItem* button = addButton(AuthorButtonName(id), std::string(list->FilterListName[at].View()),
                                           list->FilterListShown[at]);
            if (button == nullptr)
                continue;
            button->Value = static_cast<int32_t>(id);
            button->OnButtonClick = [](TNViewItem* item) {
                if (frmMainDLMR1 != nullptr)
                    frmMainDLMR1->btnCalendarFilterAuthorCheckboxChange(item);
            };
            if (plat::TLabel* control = button->TitleLabel.Get())
                control->OnClick = [this](plat::TComponent* sender) {
                    btnCalendarFilterAuthorClick(View.GetComponentByHandle(sender));
                };
        }
    });
}

void TfrmMainDLMR1::DestroyCalendarComponents_Filter()
{
    Guarded("[TfrmMainDLMR1::DestroyCalendarComponents_Filter]", [&] {
        if (View.GetComponent(kCalendarFilterName) != nullptr && !View.DeleteComponent(kCalendarFilterName, false))
            LogText("DestroyCalendarComponents_FilterView_A");
        if (plat::TPanel* column = calendarFilterColumn_.Get()) {
            column->SetVisible(false);
            column->SetBounds(0, 0, 0, 0);
        }
        calendarFilterDeskKey_ = -1;
    });
}

void TfrmMainDLMR1::ResizeCalendarComponents_Filter(bool force)
{
    Guarded("[TfrmMainDLMR1::ResizeCalendarComponents_Filter]", [&] {
        plat::TPanel* column = calendarFilterColumn_.Get();
        TNViewItem* box = View.GetComponent(kCalendarFilterName);
        if (column == nullptr || box == nullptr || pCalendarDesk == nullptr)
            return;
        const int64_t key = static_cast<int64_t>(pCalendarDesk->Width()) * 100000 + pCalendarDesk->Height();
        if (!force && key == calendarFilterDeskKey_ && !View.IsShown(box))
            return;
        const int32_t shown = Setup.GetInt("calendarShowFilter");
        const TNBounds bounds = FilterScrollboxBounds({0, 0, column->Width(), column->Height()}, shown);
        View.ResizeScrollbox(box, bounds.Left, 0, bounds.Width, bounds.Height, true, 1, 0, "FilterColumn");
        if (TNViewItem* bar = box->TopBarItem)
            View.ResizeToolbar(bar, 0, 0, bounds.Width, kBarHeight, true);
        TNViewInner* inner = View.GetActiveInner(box);
        plat::TWinControl* content = inner != nullptr ? inner->ContentPanel.Get() : nullptr;
        TNViewItem* authors = View.GetComponent(kAuthorBox);
        if (authors != nullptr && content != nullptr) {
            View.ResizeScrollbox(authors, 0, 0, content->Width(), content->Height(), true, 1, 0, "FilterAuthors");
            if (TNViewItem* bar = authors->TopBarItem)
                View.ResizeToolbar(bar, 0, 0, content->Width(), kBarHeight, true);
            TNViewInner* list = View.GetActiveInner(authors);
            const int32_t width = list != nullptr && list->ContentPanel.Get() != nullptr
                                      ? list->ContentPanel.Get()->Width()
                                      : content->Width();
            int32_t top = 0;
            for (int32_t i = 0; i < authors->ChildrenCount; ++i) {
                TNViewItem* child = authors->Children[i];
                if (child == nullptr || child->Type != cmpButton)
                    continue;
                View.ResizeButton(child, 0, top, width, kRowHeight, true);
                top += kRowHeight;
            }
        }
        View.ResizeScrollbox(box, bounds.Left, 0, bounds.Width, bounds.Height, true, 1, 0, "FilterColumn");
        calendarFilterDeskKey_ = key;
    });
}

bool TfrmMainDLMR1::RecordIsVisibleByFilter(TNPIMRecord* record)
{
    if (record == nullptr)
        return false;
    return controlActive != kCalendar || RecordIsVisibleByFilter_CalendarView(record);
}

bool TfrmMainDLMR1::RecordIsVisibleByFilter_CalendarView(TNPIMRecord* record)
{
    const TNPIMOrganizers* list = FilterList();
    return record != nullptr && list != nullptr && AuthorSelectedInFilter(*list, record->CreatedByUserID, kAuthor);
}

bool TfrmMainDLMR1::TestIfAllFilterItemsAreSelected(uint8_t kind)
{
    TNPIMOrganizers* list = FilterList();
    for (int32_t i = 0; list != nullptr && i < list->FilterListCount; ++i) {
        const auto at = static_cast<size_t>(i);
        if (list->FilterListKind[at] != kind || list->FilterListAuthorID[at] == 0)
            continue;
        const TNViewItem* button = View.GetComponent(AuthorButtonName(list->FilterListAuthorID[at]).c_str());
        if (button != nullptr && button->Marked != 1)
            return false;
    }
    return true;
}

void TfrmMainDLMR1::btnCalendarFilterAuthorCheckboxChange(TNViewItem* button)
{
    Guarded("[TfrmMainDLMR1::btnCalendarFilterAuthorCheckboxChange]", [&] {
        btnESCClick();
        TNPIMOrganizers* list = FilterList();
        if (button == nullptr || list == nullptr) {
            LogText("[btnCalendarFilterAuthorCheckboxChange][NULL] component = NULL");
            return;
        }
        for (int32_t i = 0; i < list->FilterListCount; ++i) {
            const auto at = static_cast<size_t>(i);
            if (list->FilterListKind[at] == kAuthor &&
                list->FilterListAuthorID[at] == static_cast<uint32_t>(button->Value))
                list->FilterListShown[at] = button->Marked == 1 ? 1 : 0;
        }
        View.SetButtonCheckbox(button);
        calendarFilterAllSelected = TestIfAllFilterItemsAreSelected(kAuthor) ? 1 : 0;
        if (TNViewItem* all = View.GetComponent(kSelectAll))
            ShowMark(*all, calendarFilterAllSelected == 1);
        RefreshAllDayboxes("btnCalendarFilterAuthorCheckboxChange");
    });
}

void TfrmMainDLMR1::btnCalendarFilterAuthorClick(TNViewItem* clicked)
{
    Guarded("[TfrmMainDLMR1::btnCalendarFilterAuthorClick]", [&] {
        TNPIMOrganizers* list = FilterList();
        if (clicked == nullptr || list == nullptr) {
            LogText("[btnCalendarFilterAuthorClick][NULL] component = NULL");
            return;
        }
        calendarFilterAllSelected = 0;
        ForEachAuthorButton(*list, [&](size_t at, TNViewItem& button) {
            const bool only = &button == clicked;
            ShowMark(button, only);
            list->FilterListShown[at] = only ? 1 : 0;
        });
        if (TNViewItem* all = View.GetComponent(kSelectAll))
            ShowMark(*all, false);
        RefreshAllDayboxes("btnCalendarFilterAuthorClick");
    });
}

void TfrmMainDLMR1::btnCalendarFilterAuthors_SelectAllClick()
{
    Guarded("[TfrmMainDLMR1::btnCalendarFilterAuthors_SelectAllClick]", [&] {
        TNPIMOrganizers* list = FilterList();
        TNViewItem* all = View.GetComponent(kSelectAll);
        if (list == nullptr || all == nullptr) {
            LogText("[btnCalendarFilterAuthors_SelectAllClick][NULL] component = NULL");
            return;
        }
        calendarFilterAllSelected = calendarFilterAllSelected == 1 ? 0 : 1;
        const bool selected = calendarFilterAllSelected == 1;
        ForEachAuthorButton(*list, [&](size_t at, TNViewItem& button) {
            ShowMark(button, selected);
            list->FilterListShown[at] = selected ? 1 : 0;
        });
        ShowMark(*all, selected);
        RefreshAllDayboxes("btnCalendarFilterAuthors_SelectAllClick");
    });
}

void TfrmMainDLMR1::InstallCalendarHooks()
{
    calendarShownDay.SetNow();
    calendarShownDay.NastavCas(0, 0);
    CreateCalendarMenus();
    ViewMainHooks.AuthorFilterOn = [] {
        return frmMainDLMR1 != nullptr && frmMainDLMR1->calendarFilterAllSelected == 0;
    };
    ViewMainHooks.RecordIsVisibleByFilter = [](TNPIMRecord* record) {
        return frmMainDLMR1 == nullptr || frmMainDLMR1->RecordIsVisibleByFilter(record);
    };
    PagesHooks.DestroyCalendarComponents = [] {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->DestroyCalendarComponents();
    };
}

void TfrmMainDLMR1::RemoveCalendarHooks()
{
    ViewMainHooks.AuthorFilterOn = nullptr;
    ViewMainHooks.RecordIsVisibleByFilter = nullptr;
    PagesHooks.DestroyCalendarComponents = nullptr;
}
