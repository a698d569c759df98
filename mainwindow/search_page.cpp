// The search page: the search edit and four lists of what job 7 found, the
// past, the present and future, undated tasks and notes, and people,
// calendars and pages.

#include "mainwindow/search_page.h"

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/core/main_loop.h"
#include "platform/gui/button.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

bool DateBefore(const TNTime& a, const TNTime& b)
{
    if (a.Rok != b.Rok)
        return a.Rok < b.Rok;
    if (a.Mesic != b.Mesic)
        return a.Mesic < b.Mesic;
    return a.Den < b.Den;
}

} // namespace

TNSearchList SearchListOf(const TNPIMRecord& record, const TNTime& dayStart)
{
    if (record.Type >= 20 && record.Type <= 31)
        return slExternal;
    if (!record.HasBegin)
        return slOther;
    return DateBefore(record.Begin, dayStart) ? slPast : slFuture;
}

void PartitionSearchResults(const TNPIMRecordList& found, int32_t count, const TNTime& dayStart,
                            TNSearchPartition* partition)
{
    for (int32_t list = 0; list < slCount; ++list) {
        partition->Lists[list].Resize(0);
        partition->Counts[list] = 0;
    }
    const int32_t last = std::min(count, static_cast<int32_t>(found.Items.size()));
    for (int32_t i = 0; i < last; ++i) {
        TNPIMRecord* record = found.Items[static_cast<size_t>(i)];
        if (record == nullptr)
            continue;
        const TNSearchList list = SearchListOf(*record, dayStart);
        partition->Lists[list].Append(record, &partition->Counts[list]);
    }
    TNPIM::SortRecords_FromNearest(&partition->Lists[slPast], &partition->Counts[slPast]);
    TNPIM::SortRecords_Scheduled(&partition->Lists[slFuture], &partition->Counts[slFuture]);
    TNPIM::SortRecords_ByChanged_FromMostRecent(&partition->Lists[slOther], &partition->Counts[slOther]);
}

std::unique_ptr<TNPIMRecord> NoResultsRecord(int32_t mode)
{
    auto record = std::make_unique<TNPIMRecord>();
    record->HasBegin = false;
    record->Type = 127;
    switch (mode) {
    case 3:
        record->Text = TNString("Žádné stránky ani kalendáře k zobrazení");
        break;
    case 5:
        record->Text = TNString("Žádné události k zobrazení");
        break;
    case 6:
        record->Text = TNString("Nahrávám...");
        record->Type = 126;
        break;
    default:
        record->Text = TNString("Žádné výsledky");
        break;
    }
    return record;
}

// ---------------------------------------------------------------------------
// The page

namespace {

struct SearchListShape {
    const char* name;
    const char* toolbar;
    const char* title;
    const char* records;
    const char* caller;
};

constexpr SearchListShape kLists[slCount] = {
    {"scrollSearchPast", "scrollSearchPastToolbar", "Minulost:", "records_past", "TfrmMainDLMR1::ShowSearchResults_A"},
    {"scrollSearchFuture", "scrollSearchFutureToolbar", "Přítomnost a budoucnost:", "records_future",
     "TfrmMainDLMR1::ShowSearchResults_B"},
    {"scrollSearchOther", "scrollSearchOtherToolbar", "Úkoly, poznámky:", "records_other",
     "TfrmMainDLMR1::ShowSearchResults_C"},
    {"scrollSearchExternal", "scrollSearchExternalToolbar", "Lidé, kalendáře, stránky:", "records_external",
     "TfrmMainDLMR1::ShowSearchResults_D"},
};

constexpr plat::TColor kPlaceholderGrey = 0x808080;
constexpr plat::TColor kSearchedText = 0xC80000;
constexpr int32_t kHeaderHeight = 48;
constexpr int32_t kEditHeight = 30;
constexpr int32_t kFindWidth = 90;
constexpr int32_t kInfoHeight = 24;
constexpr int32_t kMargin = 7;
constexpr int32_t kListGap = 7;
constexpr const char* kFirstInfo = "Zadejte hledaný výraz a klikněte na Najít.";

TNViewItem* PageButtonTemplate(plat::TColor panelColor)
{
    auto* shape = new TNViewItem();
    shape->Init();
    shape->NormalText = 0x323232;
    shape->HoverText = 0x323232;
    shape->PanelColor = panelColor;
    shape->TextHAlign = 0;
    shape->TextInsetX = 4;
    shape->IconPosition = 3;
    return shape;
}

TfrmMainDLMR1* SearchWindow()
{
    return frmMainDLMR1;
}

} // namespace

void TfrmMainDLMR1::CreateSearchComponents()
{
    Guarded("[TfrmMainDLMR1::CreateSearchComponents]", [&] {
        if (pSearchDesk == nullptr || gDesk == nullptr || View.GetComponent("btnSearchSearch") != nullptr)
            return;
        pSearchDesk->SetBounds(0, 0, gDesk->Width(), gDesk->Height());
        TNViewItem* head = View.CreateComponent(cmpButton, "btnSearchSearch", this, pSearchDesk, 0, "", 1, -1,
                                                PageButtonTemplate(pSearchDesk->Color()), nullptr, 3);
        if (head != nullptr) {
            head->SetFlatButtonColors(pSearchDesk->Color());
            head->SetIcon("imgSearch24", true);
            const std::string title = std::string("Hledání – ") + App.ApplicationNameV2;
            head->ButtonTitle = TNString(title.c_str());
            View.SetButtonTitle(head, title.c_str(), "", 0, 0, true, false);
            if (plat::TLabel* text = head->Label(2))
                text->Font().SetSize(16);
            if (plat::TLabel* overlay = head->TitleLabel.Get())
                overlay->OnClick = [this](plat::TComponent*) { btnSearchSearchClick(); };
        }
        TNViewItem* edit =
            View.CreateComponent(cmpEdit, "editSearchSearch", this, pSearchDesk, 0, "", 1, -1, nullptr, nullptr, 3);
        if (edit != nullptr) {
            if (plat::TFlatEdit* control = edit->Edits[0].Get()) {
                control->Font().SetSize(11);
                control->Font().SetColor(kPlaceholderGrey);
                control->SetText("Hledat...");
                control->SetTag(0);
            }
            BindSearchEdit(edit);
        }
        TNViewItem* find = View.CreateComponent(cmpButton, "btnSearchFind", this, pSearchDesk, 0, "", 1, -1,
                                                PageButtonTemplate(pSearchDesk->Color()), nullptr, 3);
        if (find != nullptr) {
            find->SetFlatButtonColors(pSearchDesk->Color());
            find->ButtonTitle = TNString("Najít");
            find->TextHAlign = 1;
            View.SetButtonTitle(find, "Najít", "", 0, 0, true, false);
            if (plat::TLabel* overlay = find->TitleLabel.Get())
                overlay->OnClick = [this](plat::TComponent* sender) { btnSearchFindClick(sender); };
        }
        View.CreateComponent(cmpLabel, "labelSearchInfo", this, pSearchDesk, 0, "", 1, -1, nullptr, nullptr, 3);
        View.SetText("labelSearchInfo", kFirstInfo, false, 0);
        for (const SearchListShape& shape : kLists) {
            TNViewItem* list =
                View.CreateComponent(cmpScrollbox, shape.name, this, pSearchDesk, 0, "", 1, -1, nullptr, nullptr, 3);
            if (list == nullptr)
                continue;
            TNViewItem* toolbar = View.CreateComponent(cmpToolbar, shape.toolbar, this, list->TopBarPanel.Get(), 0, "",
                                                       1, -1, nullptr, list, 3);
            if (toolbar != nullptr) {
                list->TopBarItem = toolbar;
                list->TopBarShown = 1;
                list->TopBarHeight = 32;
                if (TNViewItem* prepared = View.priToolbar(toolbar, cmpButton, "SelectedTagTitle", 0)) {
                    prepared->ButtonTitle = TNString(shape.title);
                    prepared->AutoWidth = 1;
                    View.AddToolbarComponent(prepared);
                }
            }
            if (TNViewInner* inner = View.GetActiveInner(list)) {
                inner->FreeRows();
                inner->Records = new TNPIMRecords(PIM[0], true);
                inner->ListItemsCount = 0;
            }
            CreateRecordsPool(list);
        }
        ResizeSearchComponents();
    });
}

void TfrmMainDLMR1::ResizeSearchComponents()
{
    Guarded("[TfrmMainDLMR1::ResizeSearchComponents]", [&] {
        if (pSearchDesk == nullptr || gDesk == nullptr)
            return;
        pSearchDesk->SetBounds(0, 0, gDesk->Width(), gDesk->Height());
        const int32_t W = pSearchDesk->Width();
        const int32_t H = pSearchDesk->Height();
        int32_t top = kMargin;
        if (TNViewItem* head = View.GetComponent("btnSearchSearch"))
            View.ResizeButton(head, kMargin, top, W - 2 * kMargin, kHeaderHeight, true);
        top += kHeaderHeight + kMargin;
        const int32_t editWidth = std::max(0, W - 3 * kMargin - kFindWidth);
        View.ResizeComponentByName("editSearchSearch", kMargin, top, editWidth, kEditHeight, true);
        if (TNViewItem* find = View.GetComponent("btnSearchFind"))
            View.ResizeButton(find, 2 * kMargin + editWidth, top, kFindWidth, kEditHeight, true);
        top += kEditHeight + kMargin;
        View.ResizeComponentByName("labelSearchInfo", kMargin, top, W - 2 * kMargin, kInfoHeight, true);
        top += kInfoHeight + kMargin;
        // Four lists side by side, 7 px apart; the last takes the rest.
        const int32_t listWidth = (W - 21) / 4;
        const int32_t listHeight = std::max(0, H - top);
        const char* callers[] = {"TfrmMainDLMR1::ResizeSearchComponents_A", "TfrmMainDLMR1::ResizeSearchComponents_C",
                                 "TfrmMainDLMR1::ResizeSearchComponents_E", "TfrmMainDLMR1::ResizeSearchComponents_G"};
        const char* paintCallers[] = {
            "TfrmMainDLMR1::ResizeSearchComponents_B", "TfrmMainDLMR1::ResizeSearchComponents_D",
            "TfrmMainDLMR1::ResizeSearchComponents_F", "TfrmMainDLMR1::ResizeSearchComponents_H"};
        for (int32_t i = 0; i < slCount; ++i) {
            TNViewItem* list = View.GetComponent(kLists[i].name);
            if (list == nullptr)
                continue;
            const int32_t left = i * (listWidth + kListGap);
            const int32_t width = i == slCount - 1 ? W - left : listWidth;
            View.ResizeScrollbox(list, left, top, width, listHeight, true, 1, 0, callers[i]);
            PaintRecordsComponentsList(list, false, paintCallers[i], false);
        }
    });
}

bool TfrmMainDLMR1::SearchTextUnchanged()
{
    const TNString text = g.SearchText();
    const std::string current = text.Text != nullptr ? text.Text : "";
    return lastSearchTextSet_ ? current == lastSearchText_ : current.empty();
}

void TfrmMainDLMR1::btnSearchFindClick(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::btnSearchFindClick]", [&] {
        // An explicit search always runs, even for the same text.
        ForgetLastSearchText();
        mnuFindClick(sender);
    });
}

void TfrmMainDLMR1::UpdateSearch(int32_t mode)
{
    // 1. Ready and signed in.
    if (settingsApplied.load() == 0)
        return;
    if (!g.ActiveUserExists()) {
        LogText("[UpdateSearch][ERROR] ActiveUserExists() = false");
        return;
    }
    // 2. The same text is not searched again.
    if (mode == 0 && SearchTextUnchanged())
        return;
    // 3. One set-up at a time.
    if (searchBusy_.exchange(1) != 0)
        return;
    struct Release {
        std::atomic<uint8_t>& flag;
        ~Release() { flag.store(0); }
    } release{searchBusy_};
    Guarded("UpdateSearch", [&] {
        // 4.
        if (mode == 0)
            View.SetText("labelSearchInfo", "Hledám...", false, 0);
        ResizeSearchComponents();
        // 5.
        if (mode == 0 && !ResetSearchScrollboxes()) {
            plat::MessageBox("Chyba při volání ResetSearchScrollboxes; vyhledávání nebude pokračovat.\nRestartkute "
                             "počítač a zkuste to znovu.",
                             "Chyba", plat::MB_ICONERROR);
            return;
        }
        // 6.
        const TNString text = g.SearchText();
        lastSearchText_ = text.Text != nullptr ? text.Text : "";
        lastSearchTextSet_ = true;
        if (mode == 0) {
            if (btnESC != nullptr && controlClickBusy == 0)
                btnESC->SetFocus();
            searchResults_.reset();
            searchJobGeneration = TNView::ShownDataGeneration();
            TNPageJob job;
            job.Tag = 7;
            RunPageJob(job);
        }
        // 7.
        if (mode == 1)
            ShowSearchResults(true);
        // 8.
        if (TNViewItem* edit = View.GetComponent("editSearchSearch")) {
            if (plat::TFlatEdit* control = edit->Edits[0].Get()) {
                if (!lastSearchText_.empty()) {
                    control->SetText(lastSearchText_);
                    control->SetTag(1);
                    control->Font().SetColor(kSearchedText);
                    if (controlClickBusy == 0 && !focusLock)
                        control->SetFocus();
                }
            }
        }
    });
}

bool TfrmMainDLMR1::ResetSearchScrollboxes()
{
    return Guarded("[TfrmMainDLMR1::ResetSearchScrollboxes]", false, [&] {
        for (const SearchListShape& shape : kLists) {
            TNViewItem* list = View.GetComponent(shape.name);
            TNViewInner* inner = list != nullptr ? View.GetActiveInner(list) : nullptr;
            if (inner == nullptr)
                return false;
            // The placeholders go with the list that showed them.
            inner->FreeRows();
            inner->Records = new TNPIMRecords(PIM[0], true);
            inner->ListItemsCount = 0;
            inner->FirstRow = 0;
            inner->VisibleRows = 0;
            inner->DataGeneration = TNView::ShownDataGeneration();
            if (plat::TJvPanel* content = inner->ContentPanel.Get())
                content->SetTop(0);
            View.ScrollScrollboxTo(list, 0);
        }
        return true;
    });
}

void TfrmMainDLMR1::PrepareSearchResults(std::shared_ptr<TNPIMRecordList> records, int32_t count)
{
    Guarded("[PrepareSearchResults]", [&] {
        // 1.
        if (records == nullptr) {
            LogText("[PrepareSearchResults][ERROR][NULL] records = NULL");
            return;
        }
        if (records->Count != count) {
            LogTextInt("[PrepareSearchResults][ERROR] records->Count = ", records->Count);
            LogTextInt("[PrepareSearchResults][ERROR] records_count = ", count);
        }
        TNViewInner* inners[slCount] = {};
        for (int32_t i = 0; i < slCount; ++i) {
            TNViewItem* list = View.GetComponent(kLists[i].name);
            if (list == nullptr) {
                LogText("[PrepareSearchResults][ERROR] Some scrollbox is NULL");
                return;
            }
            if (list->ActiveInnerPos < 0)
                return;
            inners[i] = View.GetActiveInner(list);
            if (inners[i] == nullptr) {
                LogText("[PrepareSearchResults][ERROR] Some inner is NULL");
                return;
            }
            if (inners[i]->Records == nullptr) {
                LogText("[PrepareSearchResults][ERROR] Some records is NULL");
                return;
            }
        }
        // The found records point into the data sets: a reload since the
        // job started may have freed them.
        const bool current = searchJobGeneration == TNView::ShownDataGeneration();
        if (!current)
            LogText("[PrepareSearchResults] Shown data replaced during the search; results dropped");
        TNTime dayStart;
        dayStart.SetToday();
        TNSearchPartition partition;
        if (current)
            PartitionSearchResults(*records, count, dayStart, &partition);
        // 2. to 5.
        for (int32_t i = 0; i < slCount; ++i) {
            TNViewInner* inner = inners[i];
            inner->FreeRows();
            inner->Records = new TNPIMRecords(PIM[0], true);
            inner->Records->Resize(partition.Counts[i]);
            for (int32_t n = 0; n < partition.Counts[i]; ++n)
                inner->Records->Items[n] = partition.Lists[i].Items[static_cast<size_t>(n)];
            inner->ListItemsCount = partition.Counts[i];
            HandleNoSearchResults(inner, kLists[i].records, 4);
            PrepareInnerHeightsAndTops(inner, inner->Records->Count);
        }
        // The lists now point into the job's list: it lives until the next
        // search replaces it.
        searchResults_ = std::move(records);
    });
}

void TfrmMainDLMR1::HandleNoSearchResults(TNViewInner* inner, const char* name, int32_t mode)
{
    Guarded("[HandleNoSearchResults]", [&] {
        if (inner == nullptr || inner->Records == nullptr || inner->Records->Count > 0)
            return;
        LogWrite("[HandleNoSearchResults] ", name != nullptr ? name : "", false);
        auto owner = std::make_unique<TNPIMRecordList>();
        int32_t count = 0;
        if (!owner->AppendOwned(NoResultsRecord(mode), &count))
            return;
        if (!inner->Records->Resize(inner->Records->Count + 1))
            return;
        inner->Records->Items[inner->Records->Count - 1] = owner->Items[0];
        inner->OwnedRecords = std::move(owner);
    });
}

void TfrmMainDLMR1::PrepareInnerHeightsAndTops(TNViewInner* inner, int32_t count)
{
    if (inner == nullptr) {
        LogText("[PrepareInnerHeightsAndTops][ERROR][RETURN][NULL]");
        return;
    }
    std::free(inner->Heights);
    std::free(inner->Tops);
    const size_t entries = static_cast<size_t>(std::max(count, 1));
    inner->Heights = static_cast<int32_t*>(std::malloc(entries * sizeof(int32_t)));
    inner->Tops = static_cast<int32_t*>(std::malloc(entries * sizeof(int32_t)));
    if (inner->Heights == nullptr || inner->Tops == nullptr) {
        LogText("[PrepareInnerHeightsAndTops][ERROR] inner->Heights = NULL");
        std::free(inner->Heights);
        std::free(inner->Tops);
        inner->Heights = nullptr;
        inner->Tops = nullptr;
        inner->ListItemsCount = 0;
        return;
    }
    std::fill(inner->Heights, inner->Heights + entries, -1);
    std::fill(inner->Tops, inner->Tops + entries, -1);
    inner->KeptValue = -9999;
    inner->ListItemsCount = count;
    inner->FirstRow = 0;
    inner->MeasuredWidth = -1;
    inner->DataGeneration = TNView::ShownDataGeneration();
}

void TfrmMainDLMR1::ShowSearchResults(bool bringPageUp)
{
    Guarded("[TfrmMainDLMR1::ShowSearchResults]", [&] {
        if (bringPageUp)
            ClickOnControlButton("btnControlSearch");
        const TNString text = g.SearchText();
        View.SetText("labelSearchInfo",
                     (std::string("Výsledky hledání: ") + (text.Text != nullptr ? text.Text : "")).c_str(), false, 0);
        for (const SearchListShape& shape : kLists)
            PaintRecordsComponentsList(View.GetComponent(shape.name), true, shape.caller, false);
    });
}

void TfrmMainDLMR1::InstallSearchHooks()
{
    PagesHooks.HandOverSearchResults = [](std::shared_ptr<TNPIMRecordList> results, int32_t count) {
        TfrmMainDLMR1* form = SearchWindow();
        if (form == nullptr)
            return;
        form->PrepareSearchResults(std::move(results), count);
        form->timerSearch->SetTag(1);
        form->timerSearch->SetEnabled(true);
    };
}

void TfrmMainDLMR1::RemoveSearchHooks()
{
    PagesHooks.HandOverSearchResults = nullptr;
}
