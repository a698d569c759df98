#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/string.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "online/busy_flag.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/gui/button.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/hooks.h"
#include "view/view.h"

#include <cstring>
#include <string>

// One view of the control bar: its id, button, caption, page, image and
// page callbacks.
struct TfrmMainDLMR1::ControlView {
    int8_t id;
    const char* button;
    const char* caption;
    const char* page;
    const char* image;
    void (*create)(TNPageServices& pages);
    void (*layout)(TNPageServices& pages);
};

namespace {

using ControlView = TfrmMainDLMR1::ControlView;

const ControlView kControlViews[] = {
    {TfrmMainDLMR1::kHomepage, "btnControlHomepage", "HLAVNÍ\nSTRÁNKA", "Homepage", "imgControlHomepage",
     [](TNPageServices& p) { p.CreateHomepageComponents(); }, [](TNPageServices& p) { p.ResizeHomepageComponents(); }},
    {TfrmMainDLMR1::kCalendar, "btnControlCalendar", "KALENDÁŘ", "Calendar", "imgControlCalendar",
     [](TNPageServices& p) { p.CreateCalendarComponents(); }, [](TNPageServices& p) { p.ResizeCalendarComponents(); }},
    {TfrmMainDLMR1::kTasks, "btnControlTasks", "ÚKOLY", "Tasks", "imgControlTasks",
     [](TNPageServices& p) { p.CreateTasksComponents(1); }, [](TNPageServices& p) { p.ResizeTasksComponents(1); }},
    {TfrmMainDLMR1::kNotes, "btnControlNotes", "POZNÁMKY", "Notes", "imgControlNotes",
     [](TNPageServices& p) { p.CreateNotesComponents(1); }, [](TNPageServices& p) { p.ResizeNotesComponents(); }},
    {TfrmMainDLMR1::kPages, "btnControlPages", "STRÁNKY", "Pages", "imgControlPages",
     [](TNPageServices& p) { p.CreatePagesComponents(1); }, [](TNPageServices& p) { p.ResizePagesComponents(); }},
    {TfrmMainDLMR1::kSearch, "btnControlSearch", "HLEDÁNÍ", "Search", "imgControlSearch",
     [](TNPageServices& p) { p.CreateSearchComponents(1); }, [](TNPageServices& p) { p.ResizeSearchComponents(); }},
};
constexpr int kControlViewCount = sizeof(kControlViews) / sizeof(kControlViews[0]);

int IndexOf(const ControlView* view)
{
    return static_cast<int>(view - kControlViews);
}

const char* PageOfView(int32_t id)
{
    for (const ControlView& view : kControlViews) {
        if (view.id == id)
            return view.page;
    }
    return "";
}

int8_t ViewOfPage(const std::string& page)
{
    for (const ControlView& view : kControlViews) {
        if (page == view.page)
            return view.id;
    }
    return TfrmMainDLMR1::kHomepage;
}

} // namespace

const TfrmMainDLMR1::ControlView* TfrmMainDLMR1::FindControlView(int32_t id) const
{
    for (const ControlView& view : kControlViews) {
        if (view.id == id)
            return &view;
    }
    return nullptr;
}

TNViewItem* TfrmMainDLMR1::ControlButton(int32_t id)
{
    const ControlView* view = FindControlView(id);
    return view != nullptr ? View.GetComponent(view->button) : nullptr;
}

bool TfrmMainDLMR1::ControlViewCreated(const ControlView& view, const TNViewItem* button) const
{
    return button != nullptr && createdButtonIds_[IndexOf(&view)] == button->ComponentId;
}

void TfrmMainDLMR1::RunCreateCallback(const ControlView& view, TNViewItem* button)
{
    view.create(*pages_);
    createdButtonIds_[IndexOf(&view)] = button->ComponentId;
}

void TfrmMainDLMR1::CreateControlComponents(plat::TWinControl* parent)
{
    Guarded("[TfrmMainDLMR1::CreateControlComponents]", [&] {
        for (const ControlView& view : kControlViews) {
            auto* shape = new TNViewItem();
            shape->Init();
            shape->NormalText = 0x646464;
            shape->ActiveStart = View.ButtonColors[4];
            shape->ActiveEnd = View.ButtonColors[5];
            shape->ButtonTitle = TNString(view.caption);
            TNViewItem* button =
                View.CreateComponent(cmpButton, view.button, this, parent, 0, "", 1, -1, shape, nullptr, 3);
            if (button == nullptr)
                continue;
            // The template gives no text colours: the hover's end restores
            // this one.
            button->NormalText = 0x646464;
            if (plat::TLabel* text = button->Labels[0].Get()) {
                text->Font().SetSize(8);
                text->Font().SetColor(0x646464);
            }
            button->SetFlatButtonColors(View.FormColor);
            button->SetIcon(view.image, true);
            if (plat::TLabel* control = button->TitleLabel.Get()) {
                control->SetTag(view.id);
                control->OnClick = [this](plat::TComponent* sender) { ControlButtonClick(sender); };
            }
            View.ResizeButton(button, 0, 0, 50, 50, true);
        }
    });
}

void TfrmMainDLMR1::ResizeControl(int32_t width, int32_t, int32_t barHeight, int32_t barWidth)
{
    Guarded("[TfrmMainDLMR1::ResizeControl]", [&] {
        const bool row = width <= TNCommon::NarrowWindowWidth;
        const int32_t side = row ? barHeight - 14 : barWidth - 27;
        int32_t position = 14;
        for (const ControlView& view : kControlViews) {
            TNViewItem* button = View.GetComponent(view.button);
            if (button == nullptr)
                continue;
            const char* title = row ? "" : view.caption;
            button->ButtonTitle = TNString(title);
            View.SetButtonTitle(button, title, "", 0, 0, true, false);
            if (row)
                View.ResizeButton(button, position, 7, side, side, false);
            else
                View.ResizeButton(button, 14, position, side, side, false);
            position += side;
        }
    });
}

void TfrmMainDLMR1::ControlButtonClick(plat::TComponent* sender)
{
    // A switch caused by a switch's own callbacks is dropped.
    TNBusyFlagTakeOf<uint8_t> busy(controlClickBusy);
    if (!busy.Taken())
        return;
    LogText("[ControlButtonClick][BEGIN]");
    InvalidateMainWindowEx(1);
    struct Thaw {
        TfrmMainDLMR1& form;
        ~Thaw() { form.InvalidateMainWindowEx(0); }
    } thaw{*this};

    Guarded("[TfrmMainDLMR1::ControlButtonClick]", [&] {
        LogText("[ControlButtonClick][A]");
        // 2. Leave the old view.
        if (controlActive == kHomepage) {
            pages_->SaveEditedNote(1);
        } else if (controlActive == kNotes) {
            pages_->SaveEditedNote(2);
            pages_->ForgetEditedNote();
        }
        LogText("[ControlButtonClick][A2]");
        if (TNViewItem* old = ControlButton(controlActive)) {
            old->SetActiveButtonColors(false);
            old->SetFlatButtonColors(View.FormColor);
        }

        // 3. The new view.
        LogText("[ControlButtonClick][B]");
        const int8_t id = sender != nullptr ? static_cast<int8_t>(sender->Tag()) : ViewOfPage(gDesk->ActivePage());
        const ControlView* view = FindControlView(id);
        TNViewItem* button = ControlButton(id);

        // 4. The Zentor panel shows beside the dated pages only.
        LogText("[ControlButtonClick][C]");
        const bool zentorShown = id >= kHomepage && id <= kNotes;
        if (pZentor != nullptr && pZentor->Visible() != zentorShown)
            pZentor->SetVisible(zentorShown);

        // 5. Build on first use, show the page.
        if (button != nullptr && view != nullptr) {
            if (!ControlViewCreated(*view, button))
                RunCreateCallback(*view, button);
            if (sender != nullptr)
                gDesk->SetActivePage(view->page);
            button->SetActiveButtonColors(true);
        }

        // 6. and 7. The button becomes the active one.
        controlActive = id;
        LogTextInt("[] __controlActive = ", id);
        LogText("[ControlButtonClick][D]");
        FormResize();
        LogText("[ControlButtonClick][E]");
        pages_->UpdateZentor(1);
        UpdateActuallyShownData("ControlButtonClick");
    });
    LogText("[ControlButtonClick][END]");
}

void TfrmMainDLMR1::ClickOnControlButton(const char* name)
{
    Guarded("[TfrmMainDLMR1::ClickOnControlButton]", [&] {
        TNViewItem* button = View.GetComponent(name);
        if (button != nullptr && button->TitleLabel.Get() != nullptr)
            ControlButtonClick(button->TitleLabel.Get());
    });
}

void TfrmMainDLMR1::clickHomepage()
{
    ClickOnControlButton("btnControlHomepage");
    SetColor(View.FormColor);
}

void TfrmMainDLMR1::controlOpenRequestedView(int32_t id)
{
    btnESCClick();
    const ControlView* view = FindControlView(id);
    ClickOnControlButton(view != nullptr ? view->button : "btnControlHomepage");
}

void TfrmMainDLMR1::InvalidateMainWindowEx(int32_t mode)
{
    if (pDesk == nullptr)
        return;
    if (mode == 1) {
        if (paintingFrozen_)
            return;
        paintingFrozen_ = true;
        BeginUpdate();
        pDesk->SetVisible(false);
    } else if (mode == 0) {
        pDesk->SetVisible(true);
        if (paintingFrozen_) {
            EndUpdate();
            paintingFrozen_ = false;
        }
    }
}

void TfrmMainDLMR1::ShowOrHideWindowParts(int32_t mode)
{
    Guarded("[TfrmMainDLMR1::ShowOrHideWindowParts]", [&] {
        if (mode == windowPartsMode_ || (mode != 1 && mode != 2))
            return;
        windowPartsMode_ = mode;
        const bool signedInLayout = mode == 2;
        for (plat::TPanel* hidden : {pSpare1, pScrollbar, pSpare3, pSpare2, pSideboard})
            hidden->SetVisible(false);
        for (plat::TPanel* part : {pHeader, pControl, pZentor})
            part->SetVisible(signedInLayout);
    });
}

void TfrmMainDLMR1::gDeskPageChanged()
{
    Guarded("[gDeskPageChanged][END][ERROR][EXCEPTION]", [&] {
        const std::string page = gDesk->ActivePage();
        ::WindowState.SetActivePage(page.c_str());
        LogWrite("[gDeskPageChanged][BEGIN] gDesk->ActivePage = ", page.c_str(), false);
        if (gDesk->Tag() == 0 && page == lastHandledPage_ && pages_->SearchTextUnchanged()) {
            LogWrite("[gDeskPageChanged][END][RETURN] gDesk->ActivePage = ", page.c_str(), false);
            return;
        }
        LogWrite("[gDeskPageChanged][AA] gDesk->ActivePage = ", page.c_str(), false);
        lastHandledPage_ = page;
        gDesk->SetTag(0);
        if (page != "Login" && (MinWidth() == 0 || MinHeight() == 0))
            SetMinSize(290, 360);
        LogWrite("[gDeskPageChanged][BB] gDesk->ActivePage = ", page.c_str(), false);
        const int8_t id = ViewOfPage(page);
        if (page != "Login" && page == PageOfView(id)) {
            ShowOrHideWindowPartsForQuillor();
            SetMenu(MainMenu2);
            SetBorderIcons(BorderIcons() | plat::biMaximize);
            SetBorderStyle(plat::TFormBorderStyle::bsSizeable);
            if (id == kSearch) {
                const bool lock = focusLock;
                focusLock = true;
                pages_->UpdateSearch(0);
                focusLock = lock;
            }
            View.ResizeMainForm();
            plat::TPanel* desks[] = {pHpDesk, pCalendarDesk, pTasksDesk, pNotesDesk, pPagesDesk, pSearchDesk};
            const ControlView* view = FindControlView(id);
            if (id == kHomepage) {
                LogText("[gDeskPageChanged][CC][BEGIN] Homepage");
                ControlButtonClick(nullptr);
                LogText("[gDeskPageChanged][CC][END] Homepage");
            }
            desks[IndexOf(view)]->SetVisible(true);
        }
        LogWrite("[gDeskPageChanged][END] gDesk->ActivePage = ", page.c_str(), false);
    });
}

void TfrmMainDLMR1::UpdateActuallyShownData(const char* caller)
{
    Guarded("[TfrmMainDLMR1::UpdateActuallyShownData]", [&] {
        if (gDesk->ActivePage() == "Login") {
            LogWrite("[UpdateActuallyShownData][RETURN] gDesk->ActivePage = Login; caller = ", caller, false);
            return;
        }
        LogWrite("[UpdateActuallyShownData][BEGIN] caller = ", caller, false);
        switch (controlActive) {
        case kHomepage:
            LogText("[UpdateActuallyShownData] __controlHomepage");
            pages_->UpdateHomepageListFilters();
            pages_->UpdateTodayList();
            pages_->UpdateHomepageDayboxes();
            pages_->UpdateHpTasks();
            LogText("[UpdateActuallyShownData] __controlHomepage [END]");
            break;
        case kCalendar:
            LogText("[UpdateActuallyShownData] __controlCalendar");
            pages_->UpdateCalendarView(pages_->CalendarMode());
            break;
        case kTasks:
            LogText("[UpdateActuallyShownData] __controlTasks");
            timerTasksAfterTagSelect->SetTag(pages_->TasksSelectedTag());
            timerTasksAfterTagSelect->SetEnabled(true);
            break;
        case kNotes:
            LogText("[UpdateActuallyShownData] __controlNotes");
            pages_->UpdateNotes();
            break;
        case kPages:
            LogText("[UpdateActuallyShownData] __controlPages");
            pages_->UpdatePages();
            break;
        case kSearch:
            LogText("[UpdateActuallyShownData] __controlSearch");
            pages_->UpdateSearch(0);
            break;
        default:
            break;
        }
        if (gDesk->ActivePage() == "Login") {
            LogWrite("[UpdateActuallyShownData][RETURN][B] gDesk->ActivePage = Login; caller = ", caller, false);
            return;
        }
        pages_->UpdateZentor(0);
        UpdateHeader();
        pages_->UpdateAllRedlines();
        LogWrite("[UpdateActuallyShownData][END] caller = ", caller, false);
        if (!noSyncInUpdateActuallyShownData) {
            LogText("[UpdateActuallyShownData] noSyncInUpdateActuallyShownData = false = Test and download shown "
                    "records' pictures via thread Tag=6");
            ViewMain::StartPicturesJob();
        }
        noSyncInUpdateActuallyShownData = false;
    });
}

void TfrmMainDLMR1::btnESCClick()
{
    TNBusyFlagTakeOf<uint8_t> busy(escBusy);
    if (!busy.Taken())
        return;
    Guarded("[TfrmMainDLMR1::btnESCClick]", [&] {
        pages_->HideSideboard();
        const bool pageChanging = controlClickBusy != 0;
        for (const char* name : {"editHeaderSearch", "editSearchSearch"}) {
            TNViewItem* item = View.GetComponent(name);
            plat::TWinControl* edit = item != nullptr ? item->Edits[0].Get() : nullptr;
            if (edit != nullptr && edit->Focused() && !pageChanging)
                btnESC->SetFocus();
        }
    });
}

void TfrmMainDLMR1::pDeskResize()
{
    TNBusyFlagTakeOf<uint8_t> busy(deskResizeBusy);
    if (!busy.Taken())
        return;
    Guarded("[TfrmMainDLMR1::pDeskResize]", [&] {
        const ControlView* view = FindControlView(controlActive);
        if (view != nullptr && ControlViewCreated(*view, ControlButton(controlActive)))
            view->layout(*pages_);
        ResizeSideboard();
    });
}
