// Record lists: a fixed pool of cards per list, filled from the visible part
// of a long result list, measured a screenful at a time.

#include "mainwindow/record_lists.h"

#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/model_lock.h"
#include "model/record.h"
#include "model/record_lists.h"
#include "model/records.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "view/hooks.h"
#include "view/record_card.h"
#include "view/view.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr plat::TColor kTodayLabel = 0x77CA90;
constexpr plat::TColor kPastLabel = 0x000080;
constexpr plat::TColor kTomorrowLabel = 0xE9C057;
constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr plat::TColor kBlack = 0x000000;

bool SameDate(const TNTime& a, const TNTime& b)
{
    return a.Den == b.Den && a.Mesic == b.Mesic && a.Rok == b.Rok;
}

bool DateBefore(const TNTime& a, const TNTime& b)
{
    if (a.Rok != b.Rok)
        return a.Rok < b.Rok;
    if (a.Mesic != b.Mesic)
        return a.Mesic < b.Mesic;
    return a.Den < b.Den;
}

template <class... Args> std::string Format(const char* pattern, Args... args)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

// " 3.2. 08:00 ", " 3.2.2024 " and the like.
std::string DayMonthText(const TNTime& begin, bool withYear, bool withTime)
{
    const int day = begin.Den;
    const int month = begin.Mesic;
    if (withYear && withTime)
        return Format(" %d.%d.%04d %02d:%02d ", day, month, int{begin.Rok}, int{begin.Hodina}, int{begin.Minuta});
    if (withYear)
        return Format(" %d.%d.%04d ", day, month, int{begin.Rok});
    if (withTime)
        return Format(" %d.%d. %02d:%02d ", day, month, int{begin.Hodina}, int{begin.Minuta});
    return Format(" %d.%d. ", day, month);
}

} // namespace

TNCardDateLabel CardDateLabel(bool hasBegin, const TNTime& begin, const TNTime& today, const TNTime& tomorrow)
{
    TNCardDateLabel label;
    if (!hasBegin)
        return label;
    const bool withTime = !(begin.Hodina == 99 && begin.Minuta == 0 && begin.Sekunda == 0);
    if (SameDate(begin, today)) {
        label.Text = withTime ? Format(" DNES %02d:%02d ", int{begin.Hodina}, int{begin.Minuta}) : " DNES ";
        label.Background = kTodayLabel;
        label.TextColor = kWhite;
    } else if (SameDate(begin, tomorrow)) {
        label.Text = withTime ? Format(" ZÍTRA %02d:%02d ", int{begin.Hodina}, int{begin.Minuta}) : " ZÍTRA ";
        label.Background = kTomorrowLabel;
        label.TextColor = kWhite;
    } else {
        const bool past = DateBefore(begin, today);
        label.Text = DayMonthText(begin, begin.Rok != today.Rok, withTime);
        label.Background = past ? kPastLabel : kWhite;
        label.TextColor = past ? kWhite : kBlack;
    }
    return label;
}

int8_t CardColorCombination(int32_t cardType, int32_t importance)
{
    switch (cardType) {
    case kCardTaskRow:
    case kCardPlain111:
        switch (importance) {
        case 10:
            return 4;
        case 99:
            return 5;
        case -10:
            return 6;
        default:
            return 2;
        }
    case kCardNote:
    case kCardOrganizer:
        return 3;
    default:
        return 1;
    }
}

int32_t FirstVisibleItem(int32_t offset, int32_t viewHeight, const int32_t* heights, int32_t count)
{
    if (count <= 0 || heights == nullptr || offset <= 0)
        return 0;
    int32_t measured = 0;
    int64_t total = 0;
    while (measured < count && heights[measured] >= 0)
        total += heights[measured++];
    if (measured == count && total > viewHeight && offset > total - viewHeight) {
        int32_t first = count;
        int64_t fits = 0;
        while (first > 0 && fits + heights[first - 1] <= viewHeight)
            fits += heights[--first];
        return std::min(first, count - 1);
    }
    int64_t top = 0;
    for (int32_t i = 0; i < measured; ++i) {
        if (top + heights[i] > offset)
            return i;
        top += heights[i];
    }
    return std::min(measured, count - 1);
}

int32_t RecordsPoolSizeFor(int32_t screenHeight, int32_t smallestCardHeight)
{
    if (smallestCardHeight <= 0)
        return 1;
    return std::max(screenHeight / smallestCardHeight, 1);
}

// ---------------------------------------------------------------------------
// The pool of cards

namespace {

std::string SlotName(const TNViewItem* list, int32_t slot)
{
    char text[16];
    std::snprintf(text, sizeof text, "_recordCmp%d", slot);
    return std::string(list->Name.Text != nullptr ? list->Name.Text : "") + text;
}

// A result record of the list, null when there is none at that index.
TNPIMRecord* ListRecord(const TNViewInner& inner, int32_t index)
{
    TNPIMRecords* records = inner.Records;
    if (records == nullptr || index < 0 || index >= inner.ListItemsCount || index >= records->Count)
        return nullptr;
    return records->Items[index];
}

int32_t CardHeight(const TNViewItem* card)
{
    const plat::TPanel* panel = card != nullptr ? card->Panel.Get() : nullptr;
    return panel != nullptr ? panel->Height() : 0;
}

void BindCardClicks(TNViewItem* card)
{
    plat::TLabel* overlay = card->CaptionLabel.Get();
    if (overlay == nullptr)
        return;
    overlay->OnClick = [](plat::TComponent* sender) { ViewMain::recordClick(sender); };
    overlay->OnDblClick = [](plat::TComponent* sender) { ViewMain::recordDblClick(sender); };
    overlay->OnMouseUp = [](plat::TComponent* sender, plat::TMouseButton button, plat::TShiftState shift, int x,
                            int y) { ViewMain::recordMouseUp(sender, static_cast<int32_t>(button), shift, x, y); };
}

// The card type a list draws its rows with: its list kind, a plain card for
// lists of no kind.
int32_t ListCardType(const TNViewItem* list)
{
    return list->ListKind > 0 ? list->ListKind : 0;
}

TfrmMainDLMR1* Main()
{
    return frmMainDLMR1;
}

// Clears the flag on every way out.
struct PaintingFlag {
    explicit PaintingFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~PaintingFlag() { flag_ = false; }
    PaintingFlag(const PaintingFlag&) = delete;
    PaintingFlag& operator=(const PaintingFlag&) = delete;
    bool& flag_;
};

} // namespace

int32_t TfrmMainDLMR1::MeasureOneLineTaskRow()
{
    constexpr int32_t kFallbackHeight = 24;
    constexpr const char* kProbeName = "measureRecordCmp";
    TNPIMRecord probe(nullptr);
    probe.Type = rtTask;
    probe.Text.Set("X");
    TNViewItem* card = View.CreateComponent(cmpRecord, kProbeName, this, this, 0, "X", 1, -1, nullptr, nullptr, 3);
    if (card == nullptr || card->Panel.Get() == nullptr)
        return kFallbackHeight;
    card->DisplayType = kCardTaskRow;
    card->AutoHeight = 1;
    if (plat::TLabel* title = card->TitleLabel.Get())
        title->SetCaption("X");
    TNView::SetCardRecord(card, &probe);
    View.ResizeRecord(card, 0, 0, 400, -1, true);
    const int32_t height = CardHeight(card);
    TNView::SetCardRecord(card, nullptr);
    View.DeleteComponent(kProbeName, false);
    return height > 0 ? height : kFallbackHeight;
}

int32_t TfrmMainDLMR1::RecordsPoolSize()
{
    if (recordsPoolSize_ == 0) {
        smallestCardHeightUnit = MeasureOneLineTaskRow();
        recordsPoolSize_ = RecordsPoolSizeFor(startScreenHeight_, smallestCardHeightUnit);
    }
    return recordsPoolSize_;
}

void TfrmMainDLMR1::CreateRecordsPool(TNViewItem* list)
{
    const int32_t pool = RecordsPoolSize();
    for (int32_t slot = 0; slot < pool; ++slot)
        CreateBlankRecordComponent(slot, list);
}

TNViewItem* TfrmMainDLMR1::CreateBlankRecordComponent(int32_t slot, TNViewItem* list)
{
    return Guarded("[TfrmMainDLMR1::CreateBlankRecordComponent]", static_cast<TNViewItem*>(nullptr), [&] {
        TNViewInner* inner = list != nullptr ? View.GetActiveInner(list) : nullptr;
        plat::TJvPanel* parent = inner != nullptr ? inner->ContentPanel.Get() : nullptr;
        if (parent == nullptr)
            return static_cast<TNViewItem*>(nullptr);
        TNViewItem* card =
            View.CreateComponent(cmpRecord, SlotName(list, slot).c_str(), this, parent, 0, "", 1, -1, nullptr, list, 3);
        if (card == nullptr || card->Panel.Get() == nullptr)
            return static_cast<TNViewItem*>(nullptr);
        card->ParentItem = list;
        card->AutoHeight = 1;
        card->DisplayType = ListCardType(list);
        // Every plain look once, so a recycled card has each at hand.
        for (int8_t combination = 1; combination <= 3; ++combination)
            card->SetRecordColorCombination(combination, false, false);
        card->SetRecordColorCombination(CardColorCombination(card->DisplayType, 0), false, true);
        BindCardClicks(card);
        card->Panel.Get()->SetVisible(false);
        return card;
    });
}

TNViewItem* TfrmMainDLMR1::UpdateRecordComponent(int32_t slot, TNPIMRecord* record, int32_t colorMode, TNViewItem* list)
{
    return Guarded("[TfrmMainDLMR1::UpdateRecordComponent]", static_cast<TNViewItem*>(nullptr), [&] {
        TNViewItem* card = View.GetComponent(SlotName(list, slot).c_str());
        if (card == nullptr)
            return static_cast<TNViewItem*>(nullptr);
        if (record == nullptr) {
            LogText("[UpdateRecordComponent][ERROR][WARNING][NULL] component->recordPointer = NULL");
            return static_cast<TNViewItem*>(nullptr);
        }
        const int32_t account = record->GetParentPIMPos();
        TNView::SetCardRecord(card, record);
        card->pimSrvPos = account;
        card->UIntValue = record->ID;
        card->DisplayType = colorMode;
        const bool isNote = record->Type == rtNote;
        card->Selected = (!isNote && record->ID == selectedTaskRecordId && account == selectedTaskPimSrvPos) ||
                                 (isNote && record->ID == shownNoteRecordId && account == shownNotePimSrvPos)
                             ? 1
                             : 0;
        if (plat::TLabel* dateLabel = card->Labels[1].Get()) {
            const TNCardDateLabel label =
                CardDateLabel(record->HasBegin, record->Begin, c.CopyOfToday(), c.CopyOfTomorrow());
            dateLabel->SetCaption(label.Text);
            dateLabel->SetColor(label.Background);
            dateLabel->Font().SetColor(label.TextColor);
        }
        if (plat::TLabel* title = card->TitleLabel.Get()) {
            if (isNote) {
                std::unique_ptr<TNString> noteTitle = record->GetNoteTitle();
                title->SetCaption(noteTitle != nullptr && noteTitle->Text != nullptr ? noteTitle->Text : "");
            } else {
                title->SetCaption(record->Text.Text != nullptr ? record->Text.Text : "");
            }
        }
        card->SetRecordColorCombination(CardColorCombination(colorMode, record->Importance), false, true);
        card->LayoutNeeded = 1;
        card->Panel.Get()->SetVisible(true);
        return card;
    });
}

void TfrmMainDLMR1::HideRecordComponent(int32_t slot, TNViewItem* list)
{
    TNViewItem* card = View.GetComponent(SlotName(list, slot).c_str());
    if (card == nullptr)
        return;
    if (plat::TPanel* panel = card->Panel.Get())
        panel->SetVisible(false);
    card->UIntValue = 0;
    TNView::SetCardRecord(card, nullptr);
}

// ---------------------------------------------------------------------------
// Painting

void TfrmMainDLMR1::SetListRecords(TNViewItem* list, const TNPIMRecordList& result, int32_t count)
{
    TNViewInner* inner = View.GetActiveInner(list);
    if (inner == nullptr)
        return;
    inner->FreeRows();
    inner->Records = new TNPIMRecords(nullptr, true);
    inner->Records->Resize(count);
    for (int32_t i = 0; i < count; ++i)
        inner->Records->Items[i] = result.Items[static_cast<size_t>(i)];
    const size_t size = static_cast<size_t>(std::max(count, 1)) * sizeof(int32_t);
    inner->Heights = static_cast<int32_t*>(std::malloc(size));
    inner->Tops = static_cast<int32_t*>(std::malloc(size));
    if (inner->Heights == nullptr || inner->Tops == nullptr) {
        LogText("[timerTasksAfterTagSelectTimer][ERROR] inner->Heights = NULL");
        inner->FreeRows();
        inner->ListItemsCount = 0;
        return;
    }
    std::fill(inner->Heights, inner->Heights + std::max(count, 1), -1);
    std::fill(inner->Tops, inner->Tops + std::max(count, 1), -1);
    inner->ListItemsCount = count;
    inner->FirstRow = 0;
    inner->DataGeneration = TNView::ShownDataGeneration();
}

void TfrmMainDLMR1::DropStaleListRows(TNViewItem* list, TNViewInner* inner)
{
    LogWrite("[PaintRecordsComponentsList] Shown data replaced; list->Name = ",
             list->Name.Text != nullptr ? list->Name.Text : "", false);
    inner->FreeRows();
    inner->Records = new TNPIMRecords(nullptr, true);
    inner->ListItemsCount = 0;
    inner->FirstRow = 0;
    inner->DataGeneration = TNView::ShownDataGeneration();
    // The page fills the list again from the new records.
    if (list->Name.Equals("scrollNotesList", true, false)) {
        pages_->UpdateNotes();
    } else if (list->Name.Equals("scrollTasksList", true, false) && timerTasksAfterTagSelect != nullptr) {
        timerTasksAfterTagSelect->SetTag(pages_->TasksSelectedTag());
        timerTasksAfterTagSelect->SetEnabled(true);
    }
}

bool TfrmMainDLMR1::MeasureRecordsList(TNViewItem* list, TNViewInner* inner, int32_t width)
{
    const int32_t pool = RecordsPoolSize();
    int32_t measured = 0;
    for (int32_t i = 0; i < inner->ListItemsCount; ++i) {
        if (inner->Heights[i] >= 0)
            continue;
        if (measured == pool) {
            if (list->CreateTimerCalcScrollbox(true)) {
                list->RepaintTimer.Get()->SetInterval(1);
            } else {
                LogTextInt("[PaintRecordsComponentsList][CreateTimerCalcScrollbox][ERROR] counter = ", measured);
            }
            break;
        }
        TNViewItem* card = nullptr;
        {
            TNModelReadGuard readGuard;
            card = UpdateRecordComponent(measured, ListRecord(*inner, i), ListCardType(list), list);
        }
        if (card != nullptr)
            View.ResizeRecord(card, 0, 0, width, -1, true);
        inner->Heights[i] = CardHeight(card);
        ++measured;
    }
    return measured > 0;
}

// The tops of the measured items in front of the first unmeasured one;
// their total height.
int32_t TfrmMainDLMR1::MeasuredListHeight(TNViewInner* inner)
{
    int32_t top = 0;
    int32_t i = 0;
    for (; i < inner->ListItemsCount && inner->Heights[i] >= 0; ++i) {
        inner->Tops[i] = top;
        top += inner->Heights[i];
    }
    for (; i < inner->ListItemsCount; ++i)
        inner->Tops[i] = -1;
    return top;
}

void TfrmMainDLMR1::PlaceVisibleCards(TNViewItem* list, TNViewInner* inner, int32_t width, bool toFirstRow)
{
    plat::TJvPanel* content = inner->ContentPanel.Get();
    const int32_t frameHeight = list->Scrollbox.Get()->Height();
    const int32_t count = inner->ListItemsCount;
    int32_t offset = -content->Top();
    if (toFirstRow && inner->FirstRow >= 0 && inner->FirstRow < count && inner->Tops[inner->FirstRow] >= 0)
        offset = inner->Tops[inner->FirstRow];
    offset = std::clamp(offset, 0, std::max(content->Height() - frameHeight, 0));
    content->SetTop(-offset);

    const int32_t first = FirstVisibleItem(offset, frameHeight, inner->Heights, count);
    int32_t top = first < count && inner->Tops[first] >= 0 ? inner->Tops[first] : offset;
    int32_t fullyShown = 0;
    const int32_t pool = RecordsPoolSize();
    for (int32_t slot = 0; slot < pool; ++slot) {
        const int32_t item = first + slot;
        if (item >= count) {
            HideRecordComponent(slot, list);
            continue;
        }
        TNViewItem* card = nullptr;
        {
            TNModelReadGuard readGuard;
            card = UpdateRecordComponent(slot, ListRecord(*inner, item), ListCardType(list), list);
        }
        if (card == nullptr)
            continue;
        View.ResizeRecord(card, 0, top, width, -1, true);
        const int32_t height = CardHeight(card);
        if (top + height <= offset + frameHeight)
            ++fullyShown;
        top += height;
    }
    inner->FirstRow = first;
    inner->VisibleRows = fullyShown;
    inner->Marker = top;
}

void TfrmMainDLMR1::PaintRecordsComponentsList(TNViewItem* list, bool measureOnly, const char* caller, bool force)
{
    PaintRecordsList(list, measureOnly, caller, force, false);
}

void TfrmMainDLMR1::PaintRecordsList(TNViewItem* list, bool measureOnly, const char* caller, bool force,
                                     bool toFirstRow)
{
    if (list == nullptr) {
        LogText("[PaintRecordsComponentsList][ERROR][RETURN] parent_component = NULL");
        return;
    }
    if (list->ActiveInnerPos < 0) {
        LogText("[PaintRecordsComponentsList][ERROR][RETURN] parent_component->ActiveInnerPos < 0");
        return;
    }
    if (list->Inners == nullptr || list->ActiveInnerPos >= list->InnersCount) {
        LogText("[PaintRecordsComponentsList][ERROR][RETURN] parent_component->Inners = NULL");
        return;
    }
    TNViewInner* inner = list->Inners[list->ActiveInnerPos];
    if (inner == nullptr || inner->Records == nullptr) {
        LogText("[PaintRecordsComponentsList][ERROR][RETURN] inner->Records = NULL");
        return;
    }
    LogWrite("[PaintRecordsComponentsList][BEGIN] caller = ", caller != nullptr ? caller : "", false);
    try {
        PaintingFlag painting(paintingRecordsList);
        PaintListBody(list, inner, measureOnly, force, toFirstRow);
    } catch (...) {
        LogWrite("[PaintRecordsComponentsList][ERROR][EXCEPTION] parent_component->Name = ",
                 list->Name.Text != nullptr ? list->Name.Text : "", false);
        if (plat::TJvPanel* content = inner->ContentPanel.Get())
            content->SetVisible(true);
    }
}

void TfrmMainDLMR1::PaintListBody(TNViewItem* list, TNViewInner* inner, bool measureOnly, bool force, bool toFirstRow)
{
    if (inner->DataGeneration != TNView::ShownDataGeneration())
        DropStaleListRows(list, inner);
    plat::TJvPanel* content = inner->ContentPanel.Get();
    plat::TJvPanel* frame = list->Scrollbox.Get();
    if (content == nullptr || frame == nullptr || (inner->ListItemsCount > 0 && inner->Heights == nullptr))
        return;
    if (list->Name.Equals("scrollPagesOrganizer", true, false))
        LogTextInt("[PaintRecordsComponentsList] inner->ListItemsCount = ", inner->ListItemsCount);

    // Hidden while the cards move, so the list is drawn once.
    content->SetVisible(false);
    const int32_t width = content->Width();
    if (width != inner->MeasuredWidth) {
        std::fill(inner->Heights, inner->Heights + inner->ListItemsCount, -1);
        inner->MeasuredWidth = width;
    }
    const bool cardsUsed = MeasureRecordsList(list, inner, width);
    const int32_t contentHeight = std::max(MeasuredListHeight(inner), frame->Height());
    content->SetHeight(contentHeight);
    list->UpdateScrollbarHeight(1, contentHeight);
    // Measuring lends the slots out; a measure-only pass puts the shown rows
    // back where they were, unless a wheel step waits to place them anew.
    const bool wheelStepWaits = wheelMovedComponentId == list->ComponentId;
    if (!measureOnly || (cardsUsed && !wheelStepWaits))
        PlaceVisibleCards(list, inner, width, toFirstRow && !measureOnly);
    if (force) {
        View.ResizeScrollbox(list, -1, -1, -1, -1, true, 1, 0, "TfrmMainDLMR1::PaintRecordsComponentsList_A");
    }
    content->SetVisible(true);
}

// ---------------------------------------------------------------------------
// The repaint after a scroll

namespace {

// What timerScrollbarMove does for one Tag in the view shown.
struct ScrollRepaint {
    // The list by name; null: the list last handed over.
    const char* ListName = nullptr;
    const char* PaintCaller = "";
    // Null: paint only.
    const char* LayoutCaller = nullptr;
    // Logged with the Tag when the handed-over list is wanted and missing.
    const char* DefaultLog = nullptr;
};

ScrollRepaint RepaintFor(int64_t tag, int32_t view)
{
    const bool home = view == TfrmMainDLMR1::kHomepage;
    const bool tasks = view == TfrmMainDLMR1::kTasks;
    const char* byView = home ? "scrollHpTasks" : tasks ? "scrollTasksList" : nullptr;
    switch (tag) {
    case 1: {
        const char* caller = home    ? "TfrmMainDLMR1::timerScrollbarMoveTimer_A"
                             : tasks ? "TfrmMainDLMR1::timerScrollbarMoveTimer_B"
                                     : "TfrmMainDLMR1::timerScrollbarMoveTimer_C";
        return {byView, caller, caller, "[timerScrollbarMoveTimer][DEFAULT][A] timerScrollbarMove->Tag = "};
    }
    case 2:
        return {"scrollNotesList", "TfrmMainDLMR1::timerScrollbarMoveTimer_G",
                "TfrmMainDLMR1::timerScrollbarMoveTimer_D", nullptr};
    case 10: {
        const char* caller = home    ? "TfrmMainDLMR1::timerScrollbarMoveTimer_D"
                             : tasks ? "TfrmMainDLMR1::timerScrollbarMoveTimer_E"
                                     : "TfrmMainDLMR1::timerScrollbarMoveTimer_F";
        return {byView, caller, nullptr, "[timerScrollbarMoveTimer][DEFAULT][B] timerScrollbarMove->Tag = "};
    }
    case 20:
        return {"scrollNotesList", "TfrmMainDLMR1::timerScrollbarMoveTimer_H", nullptr, nullptr};
    default:
        return {nullptr, "TfrmMainDLMR1::timerScrollbarMoveTimer_I", nullptr,
                "[timerScrollbarMoveTimer][DEFAULT][C] timerScrollbarMove->Tag = "};
    }
}

} // namespace

void TfrmMainDLMR1::timerScrollbarMoveTimer()
{
    Guarded("[TfrmMainDLMR1::timerScrollbarMoveTimer]", [&] {
        timerScrollbarMove->SetEnabled(false);
        TNViewItem* wheelBox = wheelMovedComponentId != 0 ? View.GetComponentById(wheelMovedComponentId) : nullptr;
        wheelMovedComponentId = 0;
        const int64_t tag = timerScrollbarMove->Tag();
        const ScrollRepaint repaint = RepaintFor(tag, controlActive);
        TNViewItem* list = wheelBox;
        if (list == nullptr) {
            list = repaint.ListName != nullptr ? View.GetComponent(repaint.ListName)
                                               : View.GetComponentById(handedOverListId);
        }
        if (list == nullptr && repaint.ListName == nullptr && repaint.DefaultLog != nullptr)
            LogTextInt(repaint.DefaultLog, static_cast<int32_t>(tag));
        if (list != nullptr) {
            PaintRecordsList(list, false, repaint.PaintCaller, false, wheelBox != nullptr);
            if (repaint.LayoutCaller != nullptr) {
                if (plat::TPanel* panel = list->Panel.Get())
                    View.ResizeScrollbox(list, panel->Left(), panel->Top(), panel->Width(), panel->Height(), true, 1, 0,
                                         repaint.LayoutCaller);
            }
        }
        timerScrollbarMove->SetTag(0);
        if (wheelBox != nullptr)
            wheelBox->UpdateScrollbarPosition();
    });
}

void TfrmMainDLMR1::InstallRecordListHooks()
{
    startScreenHeight_ = plat::Screen::Height();
    ViewMainHooks.PaintRecordsComponentsList = [](TNViewItem* item, bool measureOnly, const char* caller, bool force) {
        if (TfrmMainDLMR1* form = Main())
            form->PaintRecordsComponentsList(item, measureOnly, caller, force);
    };
    InstallTasksAndNotesHooks();
}

void TfrmMainDLMR1::RemoveRecordListHooks()
{
    ViewMainHooks.PaintRecordsComponentsList = nullptr;
    RemoveTasksAndNotesHooks();
}
