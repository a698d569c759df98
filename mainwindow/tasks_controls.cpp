// The Tasks page's controls: the tag column and its selection, the list box
// with its title, the two menus, the layout, and the callbacks every record
// list shares.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "mainwindow/main_window.h"
#include "mainwindow/menu_items.h"
#include "mainwindow/page_lists.h"
#include "mainwindow/page_services.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/tags.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/font.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/mouse.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kTagColumn = "scrollTasksTags";
constexpr const char* kTasksList = "scrollTasksList";

struct SpecialButton {
    const char* name;
    uint32_t id;
    const char* caption;
};

constexpr SpecialButton kSpecials[] = {
    {"btnTasksTags_Scheduled", TNPIM::kTagScheduled, "Naplánované úkoly"},
    {"btnTasksTags_Important", TNPIM::kTagImportant, "Důležité úkoly"},
    {"btnTasksTags_AllTasks", TNPIM::kTagAll, "Všechny úkoly"},
    {"btnTasksTags_WithoutTag", TNPIM::kTagWithout, "Bez štítku"},
};

std::string TagButtonName(int32_t pimSrvPos, uint32_t tagId)
{
    char name[64];
    std::snprintf(name, sizeof name, "btnTasksTags%d_%u", pimSrvPos, tagId);
    return name;
}

const SpecialButton* SpecialOf(uint32_t id)
{
    for (const SpecialButton& special : kSpecials) {
        if (special.id == id)
            return &special;
    }
    return nullptr;
}

// The tag column's buttons, in the View's order.
std::vector<TNViewItem*> TagButtons(TNViewItem* column)
{
    std::vector<TNViewItem*> buttons;
    for (int32_t i = 0; column != nullptr && i < View.ItemsCount; ++i) {
        TNViewItem* item = View.Items[i];
        if (item != nullptr && item->Type == cmpButton && item->ParentItem == column)
            buttons.push_back(item);
    }
    return buttons;
}

} // namespace

// ---------------------------------------------------------------------------
// The callbacks of every record list

void RecordsListContentResize(TNViewItem* item, int32_t* width, int32_t* height)
{
    Guarded("[ResizeRecordsList]", [&] {
        if (item == nullptr || width == nullptr || height == nullptr)
            return;
        TNViewInner* inner = View.GetActiveInner(item);
        if (inner == nullptr) {
            LogTextInt("[ResizeRecordsList][ERROR][RETURN] item->ActiveInnerPos = ", item->ActiveInnerPos);
            return;
        }
        plat::TJvPanel* content = inner->ContentPanel.Get();
        if (content == nullptr)
            return;
        // A pooled list keeps the height its paint measured; the paint after
        // the layout places the cards at the new width.
        if (inner->Records != nullptr) {
            *height = content->Height();
            return;
        }
        int32_t top = 0;
        for (int32_t i = 0; i < item->ChildrenCount; ++i) {
            TNViewItem* child = item->Children[i];
            plat::TPanel* panel = child != nullptr ? child->Panel.Get() : nullptr;
            if (panel == nullptr || child->Type == cmpToolbar || !panel->Visible() ||
                panel->Parent() != static_cast<plat::TWinControl*>(content))
                continue;
            View.ResizeComponent(child, 0, top, *width, -1, true);
            top += panel->Height();
        }
        *height = top;
    });
}

void RecordsListResized(TNViewItem* item)
{
    TfrmMainDLMR1* form = frmMainDLMR1;
    if (form == nullptr || item == nullptr || form->paintingRecordsList)
        return;
    TNViewInner* inner = View.GetActiveInner(item);
    if (inner != nullptr && inner->Records != nullptr)
        form->PaintRecordsComponentsList(item, false, "ResizeRecordsList", false);
}

void RecordsListScroll(TNViewItem* item)
{
    TfrmMainDLMR1* form = frmMainDLMR1;
    if (form == nullptr || item == nullptr || form->timerScrollbarMove == nullptr)
        return;
    // The content already stands where the thumb says; the list's rows
    // follow on the next turn.
    form->handedOverListId = item->ComponentId;
    form->timerScrollbarMove->SetTag(10 * item->ListKind);
    form->timerScrollbarMove->SetEnabled(true);
}

void BindRecordsListCallbacks(TNViewItem* list)
{
    list->OnContentResize = RecordsListContentResize;
    list->OnResize = RecordsListResized;
    list->OnScroll = RecordsListScroll;
}

TNViewItem* AddPageListHead(TfrmMainDLMR1& form, TNViewItem* box)
{
    const std::string name = std::string(box->Name.Text) + "Toolbar";
    TNViewItem* bar =
        View.CreateComponent(cmpToolbar, name.c_str(), &form, box->TopBarPanel.Get(), 0, "", 1, -1, nullptr, box, 3);
    if (bar == nullptr)
        return nullptr;
    box->TopBarItem = bar;
    box->TopBarShown = 1;
    box->TopBarHeight = kPageHeadHeight;
    // The heads' titles are white.
    View.SetToolbarBackground(bar, kPageHeadColor);
    return bar;
}

TNViewItem* AddPageHeadButton(TNViewItem* bar, const char* name, const char* caption, const char* icon, bool right)
{
    TNViewItem* prepared = View.priToolbar(bar, cmpButton, name, right ? 1 : 0);
    if (prepared == nullptr)
        return nullptr;
    prepared->ButtonTitle = TNString(caption);
    if (icon != nullptr)
        prepared->IconName = TNString(icon);
    TNViewItem* button = View.AddToolbarComponent(prepared);
    if (button == nullptr)
        return nullptr;
    View.ResizeButton(button, 0, 0, icon == nullptr ? kPageHeadTitleWidth : kPageHeadHeight, kPageHeadHeight, true);
    if (plat::TPanel* panel = button->Panel.Get())
        panel->SetColor(kPageHeadColor);
    button->SetFlatButtonColors(kPageHeadColor);
    if (icon == nullptr) {
        button->NormalText = kPageHeadText;
        if (plat::TLabel* text = button->Label(2))
            text->Font().SetColor(kPageHeadText);
    }
    return button;
}

plat::TPanel* MakePageStrip(TfrmMainDLMR1& form, plat::TPanel* desk, const char* name)
{
    auto* strip = new plat::TPanel(&form);
    strip->SetName(name);
    strip->SetBevelOuter(plat::TBevelCut::bvNone);
    strip->SetBevelInner(plat::TBevelCut::bvNone);
    strip->SetColor(View.FormColor);
    strip->SetBounds(0, 0, desk->ClientWidth(), kPageStripHeight);
    strip->SetParent(desk);
    strip->OnMouseDown = [](plat::TComponent*, plat::TMouseButton, plat::TShiftState, int, int) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->Pages().FormMouseDown();
    };
    return strip;
}

std::string TagsSignature()
{
    std::string signature;
    TNModelReadGuard readGuard;
    for (int32_t pos = 0; pos < PIM.Count(); ++pos) {
        if (PIM[pos] == nullptr)
            continue;
        const TNPIMTags& tags = PIM[pos]->Tags;
        for (int32_t i = 0; i < tags.Count; ++i) {
            const TNPIMTag* tag = tags.Items[i];
            if (tag == nullptr || tag->Deleted != 0)
                continue;
            signature += std::to_string(pos) + ':' + std::to_string(tag->ID) + ':' +
                         (tag->Title.Text != nullptr ? tag->Title.Text : "") + '\n';
        }
    }
    return signature;
}

std::string NormalizedLineEnds(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

TNNoteFields NoteFieldsFromMemo(const std::string& memoText)
{
    TNNoteFields fields;
    fields.PlainNote = NormalizedLineEnds(memoText);
    fields.Note.reserve(fields.PlainNote.size());
    for (const char ch : fields.PlainNote) {
        if (ch == '\n')
            fields.Note += "<br />";
        else
            fields.Note += ch;
    }
    return fields;
}

bool NoteTextUnchanged(const char* plainNote, const std::string& memoText)
{
    return NormalizedLineEnds(plainNote != nullptr ? plainNote : "") == NormalizedLineEnds(memoText);
}

TNSelectionCandidate RestoredSelection(const std::vector<TNSelectionCandidate>& candidates)
{
    TNSelectionCandidate chosen;
    for (const TNSelectionCandidate& candidate : candidates) {
        if (candidate.Selected)
            chosen = candidate;
    }
    return chosen;
}

void AppendTagCandidates(std::vector<TNSelectionCandidate>& candidates, bool TNPIMTag::*selected)
{
    TNModelReadGuard readGuard;
    for (int32_t pos = 0; pos < PIM.Count(); ++pos) {
        if (PIM[pos] == nullptr)
            continue;
        const TNPIMTags& tags = PIM[pos]->Tags;
        for (int32_t i = 0; i < tags.Count; ++i) {
            const TNPIMTag* tag = tags.Items[i];
            if (tag != nullptr && tag->Deleted == 0)
                candidates.push_back({tag->ID, pos, tag->*selected});
        }
    }
}

// ---------------------------------------------------------------------------
// Building and layout

void TfrmMainDLMR1::CreateTasksComponents()
{
    Guarded("[TfrmMainDLMR1::CreateTasksComponents]", [&] {
        if (pTasksDesk == nullptr || gDesk == nullptr || View.GetComponent(kTagColumn) != nullptr)
            return;
        pTasksDesk->SetBounds(0, 0, gDesk->Width(), gDesk->Height());
        if (tasksToolbar_.Get() == nullptr)
            tasksToolbar_ = MakePageStrip(*this, pTasksDesk, "pTasksToolbar");

        TNViewItem* column =
            View.CreateComponent(cmpScrollbox, kTagColumn, this, pTasksDesk, 0, "", 1, -1, nullptr, nullptr, 3);
        if (column != nullptr) {
            column->OnContentResize = [](TNViewItem* item, int32_t* width, int32_t* height) {
                // The buttons one under the other at the body's width.
                TNViewInner* inner = View.GetActiveInner(item);
                plat::TJvPanel* body = inner != nullptr ? inner->ContentPanel.Get() : nullptr;
                const int32_t w = width != nullptr && *width > 0 ? *width : body != nullptr ? body->ClientWidth() : 0;
                int32_t top = 0;
                for (TNViewItem* button : TagButtons(item)) {
                    View.ResizeButton(button, 0, top, w, kTagButtonHeight, true);
                    top += button->Panel.Get() != nullptr ? button->Panel.Get()->Height() : kTagButtonHeight;
                }
                if (height != nullptr)
                    *height = top;
            };
            if (TNViewItem* bar = AddPageListHead(*this, column)) {
                AddPageHeadButton(bar, "TasksTagsTitle", "Úkoly", nullptr, false);
                if (TNViewItem* menu = AddPageHeadButton(bar, "Menu", "", "imgMenu", true)) {
                    if (plat::TLabel* control = menu->TitleLabel.Get())
                        control->OnMouseDown = [this](plat::TComponent* sender, plat::TMouseButton button,
                                                      plat::TShiftState, int,
                                                      int) { btnTasksTagsMenuMouseDown(sender, button); };
                }
            }
        }

        TNViewItem* list =
            View.CreateComponent(cmpScrollbox, kTasksList, this, pTasksDesk, 0, "", 1, -1, nullptr, nullptr, 3);
        if (list != nullptr) {
            list->ListKind = 1;
            BindRecordsListCallbacks(list);
            if (TNViewItem* bar = AddPageListHead(*this, list)) {
                AddPageHeadButton(bar, "SelectedTagTitle", "Všechny úkoly", nullptr, false);
                if (TNViewItem* menu = AddPageHeadButton(bar, "Menu", "", "imgMenu", true)) {
                    if (plat::TLabel* control = menu->TitleLabel.Get())
                        control->OnMouseDown = [this](plat::TComponent* sender, plat::TMouseButton button,
                                                      plat::TShiftState, int,
                                                      int) { btnTasksListMenuMouseDown(sender, button); };
                }
                if (TNViewItem* add = AddPageHeadButton(bar, "Add", "", "imgAdd", true)) {
                    if (plat::TLabel* control = add->TitleLabel.Get())
                        control->OnClick = [this](plat::TComponent*) { pmnuTasksTagsAddNewTaskClick(); };
                }
            }
            CreateRecordsPool(list);
        }
        ResizeTasksComponents(false);
        UpdateTasks(true, timerTasksAfterTagSelect);
    });
}

void TfrmMainDLMR1::ResizeTasksComponents(bool refresh)
{
    Guarded("[TfrmMainDLMR1::ResizeTasksComponents]", [&] {
        if (pTasksDesk == nullptr || gDesk == nullptr)
            return;
        pTasksDesk->SetBounds(0, 0, gDesk->Width(), gDesk->Height());
        int32_t height = pTasksDesk->ClientHeight();
        int32_t top = 0;
        if (plat::TPanel* strip = tasksToolbar_.Get()) {
            strip->SetWidth(pTasksDesk->ClientWidth());
            top = strip->Height();
            height -= top;
        }
        bool changed = false;
        if (TNViewItem* column = View.GetComponent(kTagColumn)) {
            const bool columnChanged = View.ResizeScrollbox(column, 0, top, kTagColumnWidth, height, false, 1, 0,
                                                            "TfrmMainDLMR1::ResizeTasksComponents_A");
            changed = columnChanged && controlActive == kTasks;
        }
        if (TNViewItem* list = View.GetComponent(kTasksList)) {
            const int32_t left = kTagColumnWidth + kPageColumnGap;
            changed = View.ResizeScrollbox(list, left, top, gDesk->Width() - left, height, false, 1, 0,
                                           "TfrmMainDLMR1::ResizeTasksComponents_B") ||
                      changed;
        }
        if (changed && refresh)
            UpdateTasks(false, timerTasksAfterTagSelect);
    });
}

// ---------------------------------------------------------------------------
// The tag column

void TfrmMainDLMR1::ClearTasksTags()
{
    Guarded("[TfrmMainDLMR1::ClearTasksTags]", [&] {
        std::vector<std::string> names;
        for (TNViewItem* button : TagButtons(View.GetComponent(kTagColumn)))
            names.emplace_back(button->Name.Text != nullptr ? button->Name.Text : "");
        for (const std::string& name : names)
            View.DeleteComponent(name.c_str(), false);
        tasksTagsBuiltFrom_.clear();
    });
}

std::string TfrmMainDLMR1::TasksTagsSignature() const
{
    return TagsSignature();
}

uint32_t TfrmMainDLMR1::TasksSelectedTag()
{
    if (tasksSelectedId != 0)
        return tasksSelectedId;
    std::vector<TNSelectionCandidate> candidates;
    for (const SpecialButton& special : kSpecials)
        candidates.push_back({special.id, 0, Setup.GetBool(special.name)});
    AppendTagCandidates(candidates, &TNPIMTag::SelectedOnTasksPage);
    const TNSelectionCandidate restored = RestoredSelection(candidates);
    tasksSelectedId = restored.Id;
    tasksSelectedPimSrvPos = restored.PimSrvPos;
    return tasksSelectedId;
}

void TfrmMainDLMR1::SelectTasksTagButton(TNViewItem& button, bool selected)
{
    button.Selected = selected ? 1 : 0;
    button.SetActiveButtonColors(selected);
    if (plat::TLabel* text = button.Label(2)) {
        const plat::TFontStyles style = text->Font().Style();
        text->Font().SetStyle(selected ? (style | plat::fsBold) : (style & ~plat::fsBold));
    }
}

void TfrmMainDLMR1::CreateTasksTagButtons()
{
    TNViewItem* column = View.GetComponent(kTagColumn);
    TNViewInner* inner = column != nullptr ? View.GetActiveInner(column) : nullptr;
    plat::TJvPanel* body = inner != nullptr ? inner->ContentPanel.Get() : nullptr;
    if (body == nullptr)
        return;
    tasksSelectedId = 0;
    tasksSelectedPimSrvPos = 0;
    const auto add = [&](const std::string& name, const char* caption, uint32_t id, int32_t pimSrvPos, bool selected) {
        auto* shape = new TNViewItem();
        shape->Init();
        shape->ButtonTitle = TNString(caption);
        // The template's parent item and active colours are the ones the
        // button keeps.
        shape->ParentItem = column;
        shape->ActiveStart = View.ButtonColors[4];
        shape->ActiveEnd = View.ButtonColors[5];
        TNViewItem* button = View.CreateComponent(cmpButton, name.c_str(), this, body, 0, "", 1, -1, shape, column, 3);
        if (button == nullptr)
            return;
        button->UIntValue = id;
        button->pimSrvPos = pimSrvPos;
        SelectTasksTagButton(*button, selected);
        if (selected) {
            tasksSelectedId = id;
            tasksSelectedPimSrvPos = pimSrvPos;
        }
        if (plat::TLabel* control = button->TitleLabel.Get())
            control->OnClick = [this](plat::TComponent* sender) { btnTasksTagsClick(sender); };
    };
    for (const SpecialButton& special : kSpecials)
        add(special.name, special.caption, special.id, 0, Setup.GetBool(special.name));
    struct TagShape {
        int32_t pos;
        uint32_t id;
        std::string title;
        bool selected;
    };
    std::vector<TagShape> tags;
    {
        TNModelReadGuard readGuard;
        for (int32_t pos = 0; pos < PIM.Count(); ++pos) {
            if (PIM[pos] == nullptr)
                continue;
            const TNPIMTags& list = PIM[pos]->Tags;
            for (int32_t i = 0; i < list.Count; ++i) {
                const TNPIMTag* tag = list.Items[i];
                if (tag != nullptr && tag->Deleted == 0)
                    tags.push_back(
                        {pos, tag->ID, tag->Title.Text != nullptr ? tag->Title.Text : "", tag->SelectedOnTasksPage});
            }
        }
    }
    for (const TagShape& tag : tags)
        add(TagButtonName(tag.pos, tag.id), tag.title.c_str(), tag.id, tag.pos, tag.selected);
    tasksTagsBuiltFrom_ = TasksTagsSignature();
}

void TfrmMainDLMR1::UpdateTasks(bool rebuild, plat::TTimer* timer)
{
    Guarded("[TfrmMainDLMR1::UpdateTasks]", [&] {
        LogText("[UpdateTasks][BEGIN]");
        TNViewItem* column = View.GetComponent(kTagColumn);
        if (column == nullptr)
            return;
        // A tag renamed, added or deleted elsewhere rebuilds the column too.
        if (rebuild || tasksTagsBuiltFrom_ != TasksTagsSignature()) {
            ClearTasksTags();
            CreateTasksTagButtons();
        }
        View.ResizeScrollbox(column, -1, -1, -1, -1, true, 1, 0, "TfrmMainDLMR1::UpdateTasks_A");
        LogText("[UpdateTasks][END]");
        if (timer != nullptr) {
            timer->SetTag(tasksSelectedId);
            timer->SetEnabled(true);
        }
    });
}

void TfrmMainDLMR1::btnTasksTagsClick(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::btnTasksTagsClick]", [&] {
        btnESCClick();
        TNViewItem* clicked = View.GetComponentByHandle(sender);
        TNViewItem* column = View.GetComponent(kTagColumn);
        if (clicked == nullptr || column == nullptr || clicked->ParentItem != column)
            return;
        View.ButtonHoverOff(clicked);
        const uint32_t id = clicked->UIntValue;
        const auto mark = [&](TNViewItem& button, bool selected) {
            SelectTasksTagButton(button, selected);
            if (const SpecialButton* special = SpecialOf(button.UIntValue)) {
                Setup.SetValue(special->name, selected ? 1 : 0, TNSetupItem::kBool);
                return;
            }
            TNModelWriteGuard writeGuard;
            if (PIM[button.pimSrvPos] == nullptr)
                return;
            TNPIMTags& tags = PIM[button.pimSrvPos]->Tags;
            const int32_t pos = tags.GetTagPosByID(button.UIntValue);
            if (pos >= 0 && tags.Items[pos] != nullptr) {
                tags.Items[pos]->SelectedOnTasksPage = selected;
                tags.QueueForSave(pos);
            }
        };
        for (TNViewItem* button : TagButtons(column)) {
            if (button != clicked && button->Selected == 1 && button->UIntValue != id)
                mark(*button, false);
        }
        if (clicked->Selected == 1)
            return;
        mark(*clicked, true);
        tasksSelectedId = id;
        tasksSelectedPimSrvPos = clicked->pimSrvPos;
        LogText("[btnTasksTagsClick][END] Calling timerTasksAfterTagSelect...");
        timerTasksAfterTagSelect->SetTag(id);
        timerTasksAfterTagSelect->SetEnabled(true);
    });
}

// ---------------------------------------------------------------------------
// Menus

namespace {

// A left press on a page button's menu arrow drops its menu at the cursor
// and takes the hover look off the button, which the menu hides.
void PopUpButtonMenu(plat::TPopupMenu* menu, plat::TComponent* sender, plat::TMouseButton button)
{
    if (button != plat::TMouseButton::mbLeft || menu == nullptr)
        return;
    const plat::TPoint at = plat::Mouse::CursorPos();
    menu->Popup(at.x, at.y);
    if (TNViewItem* item = View.GetComponentByHandle(sender))
        View.ButtonHoverOff(item);
}

} // namespace

void TfrmMainDLMR1::btnTasksTagsMenuMouseDown(plat::TComponent* sender, plat::TMouseButton button)
{
    Guarded("[TfrmMainDLMR1::btnTasksTagsMenuMouseDown]", [&] {
        btnESCClick();
        PopUpButtonMenu(popupTasksTagsMenuButton, sender, button);
    });
}

void TfrmMainDLMR1::btnTasksListMenuMouseDown(plat::TComponent* sender, plat::TMouseButton button)
{
    Guarded("[TfrmMainDLMR1::btnTasksListMenuMouseDown]", [&] {
        btnESCClick();
        PopUpButtonMenu(popupTasksListMenuButton, sender, button);
    });
}

void TfrmMainDLMR1::popupTasksTagsMenuButtonPopup()
{
    // The page deletes no tag: the item stays hidden.
    if (plat::TMenuItem* item = popupTasksTagsMenuButton->FindByName("pmnuTasksTagsDeleteTag"))
        item->SetVisible(false);
}

void TfrmMainDLMR1::pmnuTasksTagsAddNewTaskClick()
{
    Guarded("[TfrmMainDLMR1::pmnuTasksTagsAddNewTaskClick]", [&] {
        // The editor presets the tag its caller's list holds.
        TNViewItem* list = View.GetComponent(kTasksList);
        if (list != nullptr)
            list->UIntValue = tasksLastListedId;
        EditRecord(nullptr, 0, 0, list, rtTask, 0);
    });
}

void TfrmMainDLMR1::pmnuTasksTagsNewTagClick()
{
    Guarded("[TfrmMainDLMR1::pmnuTasksTagsNewTagClick]", [&] {
        UniDialog("EditTag", nullptr, 0, 0, 0, 0, 0, 0, 0, 0);
        ClearTasksTags();
        UpdateTasks(true, timerTasksAfterTagSelect);
    });
}

void TfrmMainDLMR1::pmnuTasksTagsEditTagClick()
{
    Guarded("[TfrmMainDLMR1::pmnuTasksTagsEditTagClick]", [&] {
        if (tasksSelectedId == 0 || tasksSelectedId >= TNPIM::kTagWithout - 1) {
            MB("Tento štítek nemůže být upravován.", "Upravit štítek", plat::MB_ICONERROR);
            return;
        }
        UniDialog("EditTag", nullptr, 0, 0, 0, 0, 0, 0, 0, static_cast<int32_t>(tasksSelectedId));
        ClearTasksTags();
        UpdateTasks(true, timerTasksAfterTagSelect);
    });
}

void TfrmMainDLMR1::CreateTasksAndNotesParts()
{
    popupTasksTagsMenuButton = new plat::TPopupMenu(this);
    popupTasksTagsMenuButton->SetName("popupTasksTagsMenuButton");
    popupTasksTagsMenuButton->OnPopup = [this](plat::TComponent*) { popupTasksTagsMenuButtonPopup(); };
    plat::TMenuItem* items = popupTasksTagsMenuButton->Items();
    AddMenuItem(this, items, "pmnuTasksTagsNewTag", "Nový štítek...", [this] { pmnuTasksTagsNewTagClick(); });
    AddMenuItem(this, items, "pmnuTasksTagsEditTag", "Upravit štítek...", [this] { pmnuTasksTagsEditTagClick(); });
    AddMenuItem(this, items, "pmnuTasksTagsDeleteTag", "Smazat štítek...")->SetVisible(false);

    popupTasksListMenuButton = new plat::TPopupMenu(this);
    popupTasksListMenuButton->SetName("popupTasksListMenuButton");
    AddMenuItem(this, popupTasksListMenuButton->Items(), "pmnuTasksListAddNewTask", "Přidat nový úkol...",
                [this] { pmnuTasksTagsAddNewTaskClick(); });

    popupNotesTagsMenuButton = new plat::TPopupMenu(this);
    popupNotesTagsMenuButton->SetName("popupNotesTagsMenuButton");
    popupNotesNoteMenuButton = new plat::TPopupMenu(this);
    popupNotesNoteMenuButton->SetName("popupNotesNoteMenuButton");
    AddMenuItem(this, popupNotesNoteMenuButton->Items(), "pmnuNotesNoteNew", "Nová poznámka...",
                [this] { btnNotesListAddClick(); });
    AddMenuItem(this, popupNotesNoteMenuButton->Items(), "pmnuNotesNoteDeleteThisTask", "Smazat tuto poznámku...",
                [this] { pmnuNotesNoteDeleteThisTaskClick(); });

    timerNotesAfterTagSelect = new plat::TTimer(this);
    timerNotesAfterTagSelect->SetName("timerNotesAfterTagSelect");
    timerNotesAfterTagSelect->SetEnabled(false);
    timerNotesAfterTagSelect->SetInterval(1);
    timerNotesAfterTagSelect->OnTimer = [this](plat::TComponent*) { timerNotesAfterTagSelectTimer(); };
    timerNotesSaveEditedNote = new plat::TTimer(this);
    timerNotesSaveEditedNote->SetName("timerNotesSaveEditedNote");
    timerNotesSaveEditedNote->SetEnabled(false);
    timerNotesSaveEditedNote->SetInterval(1000);
    timerNotesSaveEditedNote->OnTimer = [this](plat::TComponent*) { timerNotesSaveEditedNoteTimer(); };
}
