// The record side panel: a read view of one record that slides in from the
// right edge, with its rows, subtasks and picture.

#include "mainwindow/sideboard.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/contacts.h"
#include "model/hooks.h"
#include "model/model_lock.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "model/users_rights.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/image_table.h"
#include "view/view.h"

#include <cstdio>
#include <string>

std::string SideboardAuthorCaption(uint32_t creatorId, uint32_t userId, const char* contactName,
                                   const char* calendarTitle)
{
    if (creatorId == userId)
        return "";
    if (contactName != nullptr)
        return std::string("Autor: ") + contactName;
    if (calendarTitle != nullptr)
        return std::string("Kalendář: ") + calendarTitle;
    return "Autor: " + std::to_string(creatorId);
}

std::string SideboardTitleCaption(int32_t type, const char* noteTitle, const char* text)
{
    const char* title = type == rtNote ? noteTitle : text;
    return title != nullptr && title[0] != '\0' ? title : "[Bez nadpisu]";
}

bool SideboardNewSubtaskAllowed(bool isVirtual, uint32_t parentId, int32_t type, bool mayEdit)
{
    const bool typeTakesSubtasks = type != rtNote && type != rtAnniversary && type != rtBirthday && type != 9;
    return !isVirtual && parentId == 0 && typeTakesSubtasks && mayEdit;
}

TNSideboardPictureBounds SideboardPictureBounds(int32_t width, int32_t contentHeight, int32_t pictureWidth,
                                                int32_t pictureHeight)
{
    TNSideboardPictureBounds bounds;
    bounds.Left = 32;
    bounds.Top = contentHeight + 7;
    bounds.Width = width - 42;
    if (pictureWidth > 0)
        bounds.Height = bounds.Width * 100 * pictureHeight / pictureWidth / 100;
    return bounds;
}

TNSideboardPictureState SideboardPictureState(bool hasPicture, bool cached, bool jobRan)
{
    if (!hasPicture)
        return TNSideboardPictureState::NoPicture;
    if (cached)
        return TNSideboardPictureState::Shown;
    return jobRan ? TNSideboardPictureState::NoPicture : TNSideboardPictureState::Loading;
}

// ---------------------------------------------------------------------------
// The panel

namespace {

constexpr const char* kScrollbox = "scrollSideboard";
constexpr const char* kToolbar = "scrollSideboardToolbar";
constexpr const char* kNewSubrecord = "scrollSideboardToolbar_NewSubrecord";
constexpr const char* kPictureImage = "imgSideboardPicture";
// The row that says whether a picture is loading or missing.
constexpr const char* kPictureInfo = "btnSideboardPictureInfo";
constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr plat::TColor kGrey = 0x808080;
constexpr int32_t kToolbarHeight = 32;
constexpr int32_t kSlideStep = 50;
constexpr int32_t kFirstTick = 250;
constexpr int32_t kNextTicks = 25;

struct RowShape {
    const char* name;
    const char* icon;
};

// The fixed rows, top to bottom.
constexpr RowShape kRows[] = {
    {"btnSideboardParentRecord", "imgArrowTreeUp"},
    {"btnSideboardRecordTime", "imgClock"},
    {"btnSideboardRecordText", "imgBluePencil"},
    {"btnSideboardAuthor", nullptr},
    {"btnSideboardRecordNote", nullptr},
    {"btnSideboardRecordHyperlink", "imgWeb16"},
    {kPictureInfo, "imgPictureSilver24"},
};

std::string SubrecordName(int32_t number)
{
    return "btnSideboardSubrecord" + std::to_string(number);
}

TNViewItem* RowTemplate()
{
    auto* shape = new TNViewItem();
    shape->Init();
    shape->NormalText = 0x323232;
    shape->HoverText = 0x323232;
    shape->PanelColor = kWhite;
    shape->TextHAlign = 0;
    shape->TextInsetX = 4;
    shape->IconPosition = 3;
    shape->WordWrap = 1;
    return shape;
}

void SetRowFont(TNViewItem* row, int32_t size)
{
    if (plat::TLabel* text = row->Label(2)) {
        text->Font().SetSize(size);
        text->Font().SetStyle(text->Font().Style() & ~plat::fsBold);
    }
}

void SetRowCaption(TNViewItem* row, const std::string& caption, const char* second = "")
{
    if (row == nullptr)
        return;
    row->ButtonTitle = TNString(caption.c_str());
    View.SetButtonTitle(row, caption.c_str(), second, kGrey, kWhite, true, false);
}

void OnRowClick(TNViewItem* row, std::function<void(plat::TComponent*)> handler)
{
    if (row != nullptr && row->TitleLabel.Get() != nullptr)
        row->TitleLabel.Get()->OnClick = std::move(handler);
}

TNViewItem* Row(const char* name)
{
    return View.GetComponent(name);
}

plat::TJvPanel* ContentOf(TNViewItem* scrollbox)
{
    TNViewInner* inner = scrollbox != nullptr ? View.GetActiveInner(scrollbox) : nullptr;
    return inner != nullptr ? inner->ContentPanel.Get() : nullptr;
}

std::string TimeCaption(const TNTime& begin)
{
    TNString text;
    if (begin.Hodina == 99) {
        char date[32];
        std::snprintf(date, sizeof date, "%02u.%02u.%04u", begin.Den, begin.Mesic, begin.Rok);
        return date;
    }
    begin.ToStringAt(&text);
    return text.Text != nullptr ? text.Text : "";
}

void ContentHeightOfRows(TNViewItem* scrollbox, int32_t* width, int32_t* height)
{
    if (frmMainDLMR1 != nullptr)
        frmMainDLMR1->ResizeSideboardRows(scrollbox, width != nullptr ? *width : 0, height);
}

} // namespace

void TfrmMainDLMR1::CreateSideboardTimers()
{
    timerSideboard = new plat::TTimer(this);
    timerSideboard->SetName("timerSideboard");
    timerSideboard->SetEnabled(false);
    timerSideboard->SetInterval(40);
    timerSideboard->OnTimer = [this](plat::TComponent*) { timerSideboardTimer(); };
    timerSideboardByID = new plat::TTimer(this);
    timerSideboardByID->SetName("timerSideboardByID");
    timerSideboardByID->SetEnabled(false);
    timerSideboardByID->SetInterval(1);
    timerSideboardByID->OnTimer = [this](plat::TComponent*) { timerSideboardByIDTimer(); };
}

void TfrmMainDLMR1::CreateSideboardComponents()
{
    Guarded("[TfrmMainDLMR1::CreateSideboardComponents]", [&] {
        if (pSideboard == nullptr || View.GetComponent(kScrollbox) != nullptr)
            return;
        pSideboard->SetVisible(false);
        pSideboard->SetWidth(sideboardWidth);
        TNViewItem* scrollbox =
            View.CreateComponent(cmpScrollbox, kScrollbox, this, pSideboard, 0, "", 1, -1, nullptr, nullptr, 3);
        if (scrollbox == nullptr)
            return;
        TNViewItem* toolbar = View.CreateComponent(cmpToolbar, kToolbar, this, scrollbox->TopBarPanel.Get(), 0, "", 1,
                                                   -1, nullptr, scrollbox, 3);
        if (toolbar != nullptr) {
            scrollbox->TopBarItem = toolbar;
            scrollbox->TopBarShown = 1;
            scrollbox->TopBarHeight = kToolbarHeight;
            auto addButton = [&](const char* name, const char* caption, const char* icon, uint8_t right) {
                TNViewItem* prepared = View.priToolbar(toolbar, cmpButton, name, right);
                if (prepared == nullptr)
                    return static_cast<TNViewItem*>(nullptr);
                prepared->ButtonTitle = TNString(caption);
                prepared->IconName = TNString(icon);
                prepared->AutoWidth = 1;
                return View.AddToolbarComponent(prepared);
            };
            TNViewItem* add = addButton("NewSubrecord", "Nový podúkol...", "imgNewSubrecord", 0);
            OnRowClick(add,
                       [this](plat::TComponent*) { btnSideboardNewSubrecordClick(View.GetComponent(kNewSubrecord)); });
            TNViewItem* close = addButton("CloseSideboard", "", "imgCloseXBlack", 1);
            OnRowClick(close, [this](plat::TComponent*) { btnSideboardCloseClick(); });
        }
        plat::TJvPanel* content = ContentOf(scrollbox);
        for (const RowShape& shape : kRows) {
            TNViewItem* row =
                View.CreateComponent(cmpButton, shape.name, this, content, 0, "", 1, -1, RowTemplate(), scrollbox, 3);
            if (row == nullptr)
                continue;
            row->SetFlatButtonColors(kWhite);
            if (shape.icon != nullptr)
                row->SetIcon(shape.icon, true);
            SetRowFont(row, 10);
        }
        if (TNViewItem* title = Row("btnSideboardRecordText")) {
            if (plat::TLabel* text = title->Label(2))
                text->Font().SetStyle(text->Font().Style() | plat::fsBold);
        }
        OnRowClick(Row("btnSideboardParentRecord"), [this](plat::TComponent*) { btnSideboardParentRecordClick(); });
        OnRowClick(Row("btnSideboardRecordText"), [this](plat::TComponent*) { btnSideboardEditRecordClick(); });
        OnRowClick(Row("btnSideboardRecordHyperlink"), [this](plat::TComponent*) { btnSideboardHyperlinkClick(); });
        OnRowClick(Row("btnSideboardAuthor"), [this](plat::TComponent*) { btnSideboardOpenPageOrCalendarClick(); });
        scrollbox->OnBeforeResize = ContentHeightOfRows;
    });
}

int32_t TfrmMainDLMR1::SideboardFinalLeft()
{
    return ClientWidth() - sideboardWidth - 2;
}

TNPIMRecord* TfrmMainDLMR1::SideboardRecord()
{
    if (sideboardRecordId == 0)
        return nullptr;
    int32_t position = -1;
    return GetRecordWithPos(sideboardPimSrvPos, sideboardRecordId, position);
}

void TfrmMainDLMR1::DeleteSideboardPicture()
{
    if (plat::TImage* image = sideboardImage_.Get())
        image->Free();
    sideboardImage_ = nullptr;
    sideboardPicture_.reset();
}

void TfrmMainDLMR1::HideSideboard()
{
    Guarded("[TfrmMainDLMR1::HideSideboard]", [&] {
        if (pSideboard != nullptr && pSideboard->Visible()) {
            DeleteSideboardPicture();
            timerSideboard->SetEnabled(false);
            pSideboard->SetVisible(false);
            sideboardLayoutCounter = 0;
        }
        sideboardRecordId = 0;
        sideboardPictureJobFor_ = 0;
    });
}

void TfrmMainDLMR1::FillSideboardPicture(TNPIMRecord& record)
{
    DeleteSideboardPicture();
    const bool hasPicture = record.MainPicture != 0;
    TNModelImage* cached = nullptr;
    if (hasPicture && record.ParentPIM != nullptr && record.ParentPIM->Records != nullptr)
        cached = record.ParentPIM->Records->getImageFromFileByWidth(record.ID, sideboardWidth - 42);
    sideboardPicture_ = {cached, FreeModelImage};
    const TNSideboardPictureState state =
        SideboardPictureState(hasPicture, cached != nullptr, sideboardPictureJobFor_ == record.ID);
    TNViewItem* info = Row(kPictureInfo);
    if (state == TNSideboardPictureState::Shown) {
        if (plat::TJvPanel* content = ContentOf(View.GetComponent(kScrollbox))) {
            auto* control = new plat::TImage(this);
            control->SetName(kPictureImage);
            control->SetStretch(true);
            control->Picture().Assign(cached->Picture());
            control->SetBounds(0, 0, 0, 0);
            control->SetParent(content);
            sideboardImage_ = control;
        }
        if (info != nullptr)
            info->UIntValue = 0;
        return;
    }
    if (info == nullptr)
        return;
    info->UIntValue = record.ID;
    if (state == TNSideboardPictureState::Loading) {
        info->SetIcon("imgSandClock24", true);
        SetRowCaption(info, "Nahrávám obrázek...");
        sideboardPictureJobFor_ = record.ID;
        TNPageJob job;
        job.Tag = 9;
        job.RecordID = record.ID;
        job.pim_srv_pos = record.GetParentPIMPos();
        RunPageJob(job);
    } else {
        info->SetIcon("imgPictureSilver24", true);
        SetRowCaption(info, "Záznam nemá obrázek");
    }
}

void TfrmMainDLMR1::FillSideboardSubtasks(const TNPIMRecord& record, bool showHidden)
{
    for (int32_t number = sideboardSubrecordsCount - 1; number >= 0; --number)
        View.DeleteComponent(SubrecordName(number).c_str(), false);
    sideboardSubrecordsCount = 0;
    TNViewItem* scrollbox = View.GetComponent(kScrollbox);
    plat::TJvPanel* content = ContentOf(scrollbox);
    TNPIM* set = PIM[0];
    if (set == nullptr || set->Records == nullptr || content == nullptr)
        return;
    struct Subtask {
        uint32_t ID;
        std::string Text;
    };
    std::vector<Subtask> subtasks;
    {
        TNModelReadGuard readGuard;
        const TNPIMRecords& records = *set->Records;
        for (int32_t i = 0; i < records.Count; ++i) {
            const TNPIMRecord* sub = records.Items[i];
            if (sub == nullptr || sub->Deleted != 0 || sub->ParentID != record.ID || (sub->Hidden && !showHidden))
                continue;
            subtasks.push_back({sub->ID, sub->Text.Text != nullptr ? sub->Text.Text : ""});
        }
    }
    for (const Subtask& sub : subtasks) {
        TNViewItem* button = View.CreateComponent(cmpButton, SubrecordName(sideboardSubrecordsCount).c_str(), this,
                                                  content, 0, "", 1, -1, RowTemplate(), scrollbox, 3);
        if (button == nullptr)
            continue;
        button->UIntValue = sub.ID;
        button->SetFlatButtonColors(kWhite);
        button->SetIcon("imgTransparent14", true);
        SetRowFont(button, 10);
        SetRowCaption(button, sub.Text);
        const uint32_t componentId = button->ComponentId;
        OnRowClick(button, [this, componentId](plat::TComponent*) {
            btnSideboardSubRecordClick(View.GetComponentById(componentId));
        });
        ++sideboardSubrecordsCount;
    }
}

void TfrmMainDLMR1::OpenSideboard(TNPIMRecord* record, bool slideIn)
{
    Guarded("[TfrmMainDLMR1::OpenSideboard]", [&] {
        TNViewItem* scrollbox = View.GetComponent(kScrollbox);
        if (record == nullptr || pSideboard == nullptr || scrollbox == nullptr)
            return;
        // 1. A second click on the same search result closes the panel.
        // A refill in place (tag 202) is no click.
        if (slideIn && controlActive == kSearch && pSideboard->Visible() && sideboardRecordId == record->ID) {
            btnESCClick();
            sideboardRecordId = 0;
            return;
        }
        if (slideIn)
            btnESCClick();
        LogTextInt("[TfrmMainDLMR1::OpenSideboard][BEGIN] record->HasEnd = ", record->HasEnd ? 1 : 0);
        if (sideboardRecordId != record->ID)
            sideboardPictureJobFor_ = 0;
        sideboardRecordId = record->ID;
        sideboardPimSrvPos = record->GetParentPIMPos();
        sideboardLayoutCounter = 0;
        const bool showHidden = Setup.GetBool("Settings_ShowHiddenRecords");
        const std::unique_ptr<TNUsersRights> rights = record->GetUsersRights("OpenSideboard");
        const bool mayEdit = rights != nullptr && rights->Role > 0;

        // 2. Time.
        if (TNViewItem* time = Row("btnSideboardRecordTime")) {
            time->UIntValue = record->HasBegin ? record->ID : 0;
            SetRowCaption(time, record->HasBegin ? TimeCaption(record->Begin) : "");
            if (plat::TLabel* text = time->Label(2))
                text->Font().SetColor(kGrey);
        }
        // 3. Title; 10. it is also the edit row.
        if (TNViewItem* title = Row("btnSideboardRecordText")) {
            std::unique_ptr<TNString> noteTitle = record->Type == rtNote ? record->GetNoteTitle() : nullptr;
            const std::string caption = SideboardTitleCaption(
                record->Type, noteTitle != nullptr ? noteTitle->Text : nullptr, record->Text.Text);
            title->UIntValue = record->ID;
            title->SetIcon(mayEdit ? "imgBluePencil" : "imgInfoSilver", true);
            SetRowCaption(title, caption, mayEdit ? "" : "Nelze editovat ");
        }
        // 4. Author.
        if (TNViewItem* author = Row("btnSideboardAuthor")) {
            TNPIM* set = record->ParentPIM;
            const uint32_t userId = set != nullptr ? set->UserID : 0;
            TNString name;
            TNString title;
            const bool nameKnown = set != nullptr && record->CreatedByUserID != userId &&
                                   set->Contacts.GetFullNameByContactUserID(record->CreatedByUserID, name);
            const bool titleKnown =
                set != nullptr && !nameKnown && set->Organizers.GetReadableTitleByID_2(record->OrganizerID, &title);
            author->UIntValue = record->CreatedByUserID;
            SetRowCaption(author,
                          SideboardAuthorCaption(record->CreatedByUserID, userId,
                                                 nameKnown ? (name.Text != nullptr ? name.Text : "") : nullptr,
                                                 titleKnown ? (title.Text != nullptr ? title.Text : "") : nullptr));
        }
        // 5. Note, as plain text.
        if (TNViewItem* note = Row("btnSideboardRecordNote")) {
            const TNString& text = !record->PlainNote.IsEmpty() ? record->PlainNote : record->Note;
            note->UIntValue = text.IsEmpty() ? 0 : record->ID;
            SetRowCaption(note, text.Text != nullptr ? text.Text : "");
        }
        // 6. Picture.
        FillSideboardPicture(*record);
        // 7. Web link.
        if (TNViewItem* link = Row("btnSideboardRecordHyperlink")) {
            link->UIntValue = record->ID;
            SetRowCaption(link, "Otevřít na webu");
        }
        if (TNViewItem* parent = Row("btnSideboardParentRecord")) {
            int32_t position = -1;
            const TNPIMRecord* up = record->ParentID != 0 ? GetRecordWithPos(0, record->ParentID, position) : nullptr;
            parent->UIntValue = up != nullptr ? up->ID : 0;
            SetRowCaption(parent, up != nullptr && up->Text.Text != nullptr ? up->Text.Text : "");
        }
        // 8. Subtasks.
        FillSideboardSubtasks(*record, showHidden);
        // 9. New subtask.
        if (TNViewItem* add = View.GetComponent(kNewSubrecord)) {
            const bool allowed = SideboardNewSubtaskAllowed(record->Virtual, record->ParentID, record->Type, mayEdit);
            add->Enabled = allowed ? 1 : 0;
            add->CarriedRecordId = allowed ? record->ID : 0;
            add->SetIcon(allowed ? "imgNewSubrecord" : "imgNewSubrecordDisabled", true);
            SetRowCaption(add, allowed ? "Přidat podúkol " : "Nelze Přidat podúkol ");
        }
        // 11. Place and show.
        pSideboard->SetBounds(pSideboard->Left(), pDesk != nullptr ? pDesk->Top() : 0, sideboardWidth,
                              pDesk != nullptr ? pDesk->Height() : ClientHeight());
        if (slideIn) {
            View.ResizeScrollbox(scrollbox, 0, 0, sideboardWidth, pSideboard->Height(), true, 1, 0,
                                 "TfrmMainDLMR1::OpenSideboard_A");
            pSideboard->SetLeft(ClientWidth());
            pSideboard->SetVisible(true);
            pSideboard->BringToFront();
            timerSideboard->SetInterval(kFirstTick);
            timerSideboard->SetEnabled(true);
        } else {
            pSideboard->SetLeft(SideboardFinalLeft());
            pSideboard->SetVisible(true);
            pSideboard->BringToFront();
            View.ResizeScrollbox(scrollbox, 0, 0, sideboardWidth, pSideboard->Height(), true, 1, 0,
                                 "TfrmMainDLMR1::OpenSideboard_B");
        }
        LogText("[TfrmMainDLMR1::OpenSideboard][END]");
    });
}

void TfrmMainDLMR1::ResizeSideboard()
{
    Guarded("[TfrmMainDLMR1::ResizeSideboard]", [&] {
        TNViewItem* scrollbox = View.GetComponent(kScrollbox);
        if (pSideboard == nullptr || !pSideboard->Visible() || scrollbox == nullptr || pDesk == nullptr)
            return;
        // A panel still sliding in keeps its place; the slide ends at the new edge.
        const int32_t left = timerSideboard->Enabled() ? pSideboard->Left() : SideboardFinalLeft();
        pSideboard->SetBounds(left, pDesk->Top(), sideboardWidth, pDesk->Height());
        sideboardLayoutCounter = 0;
        View.ResizeScrollbox(scrollbox, 0, 0, sideboardWidth, pSideboard->Height(), true, 1, 0,
                             "TfrmMainDLMR1::ResizeSideboard");
    });
}

void TfrmMainDLMR1::ReopenSideboard()
{
    Guarded("[TfrmMainDLMR1::ReopenSideboard]", [&] {
        if (pSideboard == nullptr || !pSideboard->Visible())
            return;
        sideboardLayoutCounter = 0;
        if (TNPIMRecord* record = SideboardRecord())
            OpenSideboard(record, false);
    });
}

void TfrmMainDLMR1::timerSideboardTimer()
{
    Guarded("[TfrmMainDLMR1::timerSideboardTimer]", [&] {
        TNViewItem* scrollbox = View.GetComponent(kScrollbox);
        const int32_t height = pSideboard->Height();
        if (timerSideboard->Interval() != kNextTicks) {
            View.ResizeScrollbox(scrollbox, 0, 0, sideboardWidth, height, true, 1, 0,
                                 "TfrmMainDLMR1::timerSideboardTimer_A");
            timerSideboard->SetInterval(kNextTicks);
        }
        pSideboard->SetLeft(pSideboard->Left() - kSlideStep);
        const int32_t finalLeft = SideboardFinalLeft();
        if (pSideboard->Left() <= finalLeft) {
            pSideboard->SetLeft(finalLeft);
            timerSideboard->SetEnabled(false);
            View.ResizeScrollbox(scrollbox, 0, 0, sideboardWidth, height, true, 1, 0,
                                 "TfrmMainDLMR1::timerSideboardTimer_B");
        }
    });
}

void TfrmMainDLMR1::ResizeSideboardRows(TNViewItem*, int32_t, int32_t* height)
{
    if (height == nullptr || sideboardLayoutCounter >= 2)
        return;
    const int32_t W = sideboardWidth;
    int32_t content = 0;
    auto place = [&](const char* name, bool shown) {
        TNViewItem* row = View.GetComponent(name);
        if (row == nullptr)
            return;
        if (!shown) {
            View.ResizeButton(row, 0, 0, 0, 0, true);
            return;
        }
        View.ResizeButton(row, 0, content, W - 10, -1, true);
        content += row->Panel.Get() != nullptr ? row->Panel.Get()->Height() : 0;
    };
    auto valueOf = [](const char* name) {
        TNViewItem* row = View.GetComponent(name);
        return row != nullptr ? row->UIntValue : 0u;
    };
    place("btnSideboardParentRecord", valueOf("btnSideboardParentRecord") != 0);
    place("btnSideboardRecordTime", valueOf("btnSideboardRecordTime") != 0);
    place("btnSideboardRecordText", true);
    TNViewItem* author = View.GetComponent("btnSideboardAuthor");
    place("btnSideboardAuthor", author != nullptr && author->UIntValue != 0 && !author->ButtonTitle.IsEmpty());
    plat::TImage* picture = sideboardImage_.Get();
    const bool pictureShown = picture != nullptr && picture->Picture().Width() > 0 && picture->Picture().Height() > 0;
    if (pictureShown) {
        const TNSideboardPictureBounds bounds =
            SideboardPictureBounds(W, content, picture->Picture().Width(), picture->Picture().Height());
        picture->SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
        picture->SetVisible(true);
        content += bounds.Height + 14;
    }
    place(kPictureInfo, !pictureShown && valueOf(kPictureInfo) != 0);
    place("btnSideboardRecordNote", valueOf("btnSideboardRecordNote") != 0);
    place("btnSideboardRecordHyperlink", true);
    for (int32_t number = 0; number < sideboardSubrecordsCount; ++number)
        place(SubrecordName(number).c_str(), true);
    ++sideboardLayoutCounter;
    *height = content;
}

void TfrmMainDLMR1::timerSideboardByIDTimer()
{
    Guarded("[TfrmMainDLMR1::timerSideboardByIDTimer]", [&] {
        timerSideboardByID->SetEnabled(false);
        int32_t position = -1;
        TNPIMRecord* record = GetRecordWithPos(0, static_cast<uint32_t>(timerSideboardByID->Tag()), position);
        OpenSideboard(record, true);
    });
}

void TfrmMainDLMR1::btnSideboardCloseClick()
{
    HideSideboard();
}

void TfrmMainDLMR1::FormMouseDown()
{
    btnESCClick();
}

void TfrmMainDLMR1::btnSideboardParentRecordClick()
{
    Guarded("[TfrmMainDLMR1::btnSideboardParentRecordClick]", [&] {
        const TNPIMRecord* shown = SideboardRecord();
        const uint32_t parentId = shown != nullptr ? shown->ParentID : 0;
        btnESCClick();
        int32_t position = -1;
        if (parentId != 0)
            OpenSideboard(GetRecordWithPos(0, parentId, position), true);
    });
}

void TfrmMainDLMR1::btnSideboardEditRecordClick()
{
    Guarded("[TfrmMainDLMR1::btnSideboardEditRecordClick]", [&] {
        const uint32_t id = sideboardRecordId;
        btnESCClick();
        int32_t position = -1;
        TNPIMRecord* record = GetRecordWithPos(0, id, position);
        if (record == nullptr)
            return;
        const std::unique_ptr<TNUsersRights> rights = record->GetUsersRights("btnSideboardEditRecordClick");
        if (rights == nullptr || rights->Role == 0)
            OpenSideboard(record, true);
        else
            EditRecord(record, 0, 0, nullptr, 0, 0);
    });
}

void TfrmMainDLMR1::btnSideboardHyperlinkClick()
{
    Guarded("[TfrmMainDLMR1::btnSideboardHyperlinkClick]", [&] {
        const uint32_t id = sideboardRecordId;
        btnESCClick();
        popupRecord->SetTag(id);
        pmnuRecordOpenOnWebClick();
    });
}

void TfrmMainDLMR1::btnSideboardSubRecordClick(TNViewItem* button)
{
    Guarded("[TfrmMainDLMR1::btnSideboardSubRecordClick]", [&] {
        const uint32_t id = button != nullptr ? button->UIntValue : 0;
        btnESCClick();
        timerSideboardByID->SetTag(id);
        timerSideboardByID->SetEnabled(true);
    });
}

void TfrmMainDLMR1::btnSideboardNewSubrecordClick(TNViewItem* button)
{
    Guarded("[TfrmMainDLMR1::btnSideboardNewSubrecordClick]", [&] {
        if (button == nullptr || button->Enabled == 0 || button->CarriedRecordId == 0)
            return;
        int32_t position = -1;
        TNPIMRecord* parent = GetRecordWithPos(0, button->CarriedRecordId, position);
        if (parent != nullptr)
            EditRecord(nullptr, parent->ID, 0, nullptr, 0, 0);
    });
}

void TfrmMainDLMR1::btnSideboardOpenPageOrCalendarClick()
{
    Guarded("[TfrmMainDLMR1::btnSideboardOpenPageOrCalendarClick]", [&] {
        const TNPIMRecord* shown = SideboardRecord();
        const uint32_t organizerId = shown != nullptr ? shown->OrganizerID : 0;
        btnESCClick();
        if (organizerId != 0)
            pages_->Pages_ShowCalendarOrPage(organizerId);
    });
}
