#include "view/hooks.h"

#include "foundation/log.h"
#include "view/view.h"

#include <string>
#include <utility>

TNViewMainHooks ViewMainHooks;
TNViewDialogHooks ViewDialogHooks;

namespace {

// Calls the entry, or logs that it is unset and gives the default.
template <class Result, class Entry, class... Args>
Result Call(Entry entry, const char* name, Result fallback, Args&&... args)
{
    if (entry != nullptr)
        return entry(std::forward<Args>(args)...);
    LogText((std::string("[ViewHooks::") + name + "][NULL] Hook not set").c_str());
    return fallback;
}

template <class Entry, class... Args> void Run(Entry entry, const char* name, Args&&... args)
{
    if (entry != nullptr) {
        entry(std::forward<Args>(args)...);
        return;
    }
    LogText((std::string("[ViewHooks::") + name + "][NULL] Hook not set").c_str());
}

} // namespace

namespace ViewMain {

void EditRecord(TNPIMRecord* record, uint32_t parentId, TNViewItem* origin)
{
    Run(ViewMainHooks.EditRecord, "EditRecord", record, parentId, origin);
}

void OpenSideboard(uint32_t id, int32_t mode)
{
    Run(ViewMainHooks.OpenSideboard, "OpenSideboard", id, mode);
}

bool DeleteRecordById(uint32_t id, int32_t pimPos)
{
    return Call(ViewMainHooks.DeleteRecordById, "DeleteRecordById", false, id, pimPos);
}

bool ChangedRecordSaveSequence(int32_t pimPos, TNPIMRecord* record, const char* caller)
{
    return Call(ViewMainHooks.ChangedRecordSaveSequence, "ChangedRecordSaveSequence", false, pimPos, record, caller);
}

void AddTagFromEditRecordDialog()
{
    Run(ViewMainHooks.AddTagFromEditRecordDialog, "AddTagFromEditRecordDialog");
}

void RemoveSharingItem(int32_t position)
{
    Run(ViewMainHooks.RemoveSharingItem, "RemoveSharingItem", position);
}

void PaintRecordsComponentsList(TNViewItem* item, bool flag1, const char* caller, bool flag2)
{
    Run(ViewMainHooks.PaintRecordsComponentsList, "PaintRecordsComponentsList", item, flag1, caller, flag2);
}

bool RecordPassesAuthorFilter(TNPIMRecord* record)
{
    if (!Call(ViewMainHooks.AuthorFilterOn, "AuthorFilterOn", false))
        return true;
    return Call(ViewMainHooks.RecordIsVisibleByFilter, "RecordIsVisibleByFilter", true, record);
}

bool ScrollWheelableTo(int32_t position, const char* name)
{
    return Call(ViewMainHooks.ScrollWheelableTo, "ScrollWheelableTo", false, position, name);
}

void btnESCClick()
{
    Run(ViewMainHooks.btnESCClick, "btnESCClick");
}

void ResizeZentor(int32_t width, int32_t height, int32_t panelHeight, int32_t panelWidth)
{
    Run(ViewMainHooks.ResizeZentor, "ResizeZentor", width, height, panelHeight, panelWidth);
}

void ResizeHeaderComponents(int32_t width, int32_t height)
{
    Run(ViewMainHooks.ResizeHeaderComponents, "ResizeHeaderComponents", width, height);
}

void ResizeControl(int32_t width, int32_t height, int32_t barHeight, int32_t barWidth)
{
    Run(ViewMainHooks.ResizeControl, "ResizeControl", width, height, barHeight, barWidth);
}

void ResizeScrollbar(int32_t width, int32_t height, int32_t barWidth, int32_t columnHeight)
{
    Run(ViewMainHooks.ResizeScrollbar, "ResizeScrollbar", width, height, barWidth, columnHeight);
}

void FormMouseDown(plat::TComponent* sender, int32_t button, uint32_t shift, int32_t x, int32_t y)
{
    Run(ViewMainHooks.FormMouseDown, "FormMouseDown", sender, button, shift, x, y);
}

void StatusClick(plat::TComponent* sender)
{
    Run(ViewMainHooks.StatusClick, "StatusClick", sender);
}

void recordClick(plat::TComponent* sender)
{
    Run(ViewMainHooks.recordClick, "recordClick", sender);
}

void recordDblClick(plat::TComponent* sender)
{
    Run(ViewMainHooks.recordDblClick, "recordDblClick", sender);
}

void recordMouseUp(plat::TComponent* sender, int32_t button, uint32_t shift, int32_t x, int32_t y)
{
    Run(ViewMainHooks.recordMouseUp, "recordMouseUp", sender, button, shift, x, y);
}

plat::TForm* MainForm()
{
    return Call(ViewMainHooks.MainForm, "MainForm", static_cast<plat::TForm*>(nullptr));
}

plat::TWinControl* gDesk()
{
    return Call(ViewMainHooks.gDesk, "gDesk", static_cast<plat::TWinControl*>(nullptr));
}

plat::TPanel* pDesk()
{
    return Call(ViewMainHooks.pDesk, "pDesk", static_cast<plat::TPanel*>(nullptr));
}

plat::TPanel* FixedPanel(TNMainPanel panel)
{
    return Call(ViewMainHooks.FixedPanel, "FixedPanel", static_cast<plat::TPanel*>(nullptr), panel);
}

plat::TImageList* imagelistAction()
{
    return Call(ViewMainHooks.imagelistAction, "imagelistAction", static_cast<plat::TImageList*>(nullptr));
}

plat::TComponent* popupText()
{
    return Call(ViewMainHooks.popupText, "popupText", static_cast<plat::TComponent*>(nullptr));
}

plat::TComponent* popupDaybox()
{
    return Call(ViewMainHooks.popupDaybox, "popupDaybox", static_cast<plat::TComponent*>(nullptr));
}

plat::TComponent* popupRecordImportance()
{
    return Call(ViewMainHooks.popupRecordImportance, "popupRecordImportance", static_cast<plat::TComponent*>(nullptr));
}

void SetRecordImportancePimPos(int32_t pimPos)
{
    Run(ViewMainHooks.SetRecordImportancePimPos, "SetRecordImportancePimPos", pimPos);
}

plat::TComponent* timerResize()
{
    return Call(ViewMainHooks.timerResize, "timerResize", static_cast<plat::TComponent*>(nullptr));
}

int32_t DayCellSize()
{
    return Call(ViewMainHooks.DayCellSize, "DayCellSize", int32_t{34});
}

void StartPicturesJob()
{
    Run(ViewMainHooks.StartPicturesJob, "StartPicturesJob");
}

} // namespace ViewMain

namespace ViewDialog {

plat::TForm* Form(int32_t formTag)
{
    return Call(ViewDialogHooks.Form, "Form", static_cast<plat::TForm*>(nullptr), formTag);
}

plat::TComponent* popupText(int32_t formTag)
{
    return Call(ViewDialogHooks.popupText, "popupText", static_cast<plat::TComponent*>(nullptr), formTag);
}

uint32_t EditedRecordId(int32_t formTag)
{
    return Call(ViewDialogHooks.EditedRecordId, "EditedRecordId", uint32_t{0}, formTag);
}

TNShareSelection ShareWithGroups(int32_t formTag)
{
    return Call(ViewDialogHooks.ShareWithGroups, "ShareWithGroups", TNShareSelection{}, formTag);
}

TNShareSelection ShareWithContacts(int32_t formTag)
{
    return Call(ViewDialogHooks.ShareWithContacts, "ShareWithContacts", TNShareSelection{}, formTag);
}

int32_t UniDialog(const char* key, plat::TForm* caller, const int32_t params[8])
{
    return Call(ViewDialogHooks.UniDialog, "UniDialog", int32_t{-1}, key, caller, params);
}

void FormResize()
{
    Run(ViewDialogHooks.FormResize, "FormResize");
}

void ShowTimePicker(int32_t type, plat::TForm* owner, TNViewItem* item, uint32_t componentId, plat::TComponent* button,
                    int32_t value)
{
    Run(ViewDialogHooks.ShowTimePicker, "ShowTimePicker", type, owner, item, componentId, button, value);
}

} // namespace ViewDialog
