#pragma once

#include "platform/gui/types.h"

#include <cstdint>

namespace plat {
class TComponent;
class TForm;
class TImageList;
class TPanel;
class TWinControl;
} // namespace plat

class TNPIMRecord;
class TNViewItem;

// Calls from the view up into the main window, its pages and the universal
// dialog. `mainwindow` and `dialog` fill these at start-up; tests fill them
// with recorders. Every call goes through the functions below: an unset
// entry logs one line and gives the default.

// The main window's fixed panels the view lays out.
enum TNMainPanel : int32_t {
    mpHeader,
    mpZentor,
    mpControl,
    mpScrollbar,
    mpSpare1,
    mpSpare2,
    mpSpare3,
    kMainPanelCount
};

using TNMouseHandler = void (*)(plat::TComponent* sender, int32_t button, uint32_t shift, int32_t x, int32_t y);
using TNClickHandler = void (*)(plat::TComponent* sender);

struct TNViewMainHooks {
    // Pages: records and lists.
    void (*EditRecord)(TNPIMRecord* record, uint32_t parentId, TNViewItem* origin) = nullptr;
    void (*OpenSideboard)(uint32_t id, int32_t mode) = nullptr;
    bool (*DeleteRecordById)(uint32_t id, int32_t pimPos) = nullptr;
    bool (*ChangedRecordSaveSequence)(int32_t pimPos, TNPIMRecord* record, const char* caller) = nullptr;
    void (*AddTagFromEditRecordDialog)() = nullptr;
    void (*RemoveSharingItem)(int32_t position) = nullptr;
    void (*PaintRecordsComponentsList)(TNViewItem* item, bool flag1, const char* caller, bool flag2) = nullptr;
    bool (*RecordIsVisibleByFilter)(TNPIMRecord* record) = nullptr;
    bool (*AuthorFilterOn)() = nullptr;
    bool (*ScrollWheelableTo)(int32_t position, const char* name) = nullptr;
    void (*btnESCClick)() = nullptr;

    // Shell layouts the main window layout calls.
    void (*ResizeZentor)(int32_t width, int32_t height, int32_t panelHeight, int32_t panelWidth) = nullptr;
    void (*ResizeHeaderComponents)(int32_t width, int32_t height) = nullptr;
    void (*ResizeControl)(int32_t width, int32_t height, int32_t barHeight, int32_t barWidth) = nullptr;
    void (*ResizeScrollbar)(int32_t width, int32_t height, int32_t barWidth, int32_t columnHeight) = nullptr;

    // Handlers the view binds to controls, called when the event fires.
    TNMouseHandler FormMouseDown = nullptr;
    TNClickHandler StatusClick = nullptr;
    TNClickHandler recordClick = nullptr;
    TNClickHandler recordDblClick = nullptr;
    TNMouseHandler recordMouseUp = nullptr;

    // Objects of the main window.
    plat::TForm* (*MainForm)() = nullptr;
    plat::TWinControl* (*gDesk)() = nullptr;
    plat::TPanel* (*pDesk)() = nullptr;
    plat::TPanel* (*FixedPanel)(TNMainPanel panel) = nullptr;
    plat::TImageList* (*imagelistAction)() = nullptr;
    plat::TComponent* (*popupText)() = nullptr;
    plat::TComponent* (*popupDaybox)() = nullptr;
    plat::TComponent* (*popupRecordImportance)() = nullptr;
    // The data-set position the importance menu acts on.
    void (*SetRecordImportancePimPos)(int32_t pimPos) = nullptr;
    plat::TComponent* (*timerResize)() = nullptr;
    int32_t (*DayCellSize)() = nullptr;

    // Starts the pictures job of the shown data (job 6).
    void (*StartPicturesJob)() = nullptr;
};

// One share-with selection list of a dialog: (id, selected) in list order.
struct TNShareSelection {
    int32_t Count = 0;
    const uint32_t* Ids = nullptr;
    const uint8_t* Selected = nullptr;
};

struct TNViewDialogHooks {
    // Per dialog slot (a component's FormTag, 0 to 31).
    plat::TForm* (*Form)(int32_t formTag) = nullptr;
    plat::TComponent* (*popupText)(int32_t formTag) = nullptr;
    uint32_t (*EditedRecordId)(int32_t formTag) = nullptr;
    TNShareSelection (*ShareWithGroups)(int32_t formTag) = nullptr;
    TNShareSelection (*ShareWithContacts)(int32_t formTag) = nullptr;
    // Opens a nested dialog page; the slot it used, -1 when none.
    int32_t (*UniDialog)(const char* key, plat::TForm* caller, const int32_t params[8]) = nullptr;
    // Lays the topmost open dialog out again.
    void (*FormResize)() = nullptr;
    // The hour (type 1) or minute (type 2) picker for a date setter.
    // The picker re-finds the item by its id before it writes to it.
    void (*ShowTimePicker)(int32_t type, plat::TForm* owner, TNViewItem* item, uint32_t componentId,
                           plat::TComponent* button, int32_t value) = nullptr;
};

extern TNViewMainHooks ViewMainHooks;
extern TNViewDialogHooks ViewDialogHooks;

// The calls, each with its default when the entry is unset.
namespace ViewMain {
void EditRecord(TNPIMRecord* record, uint32_t parentId, TNViewItem* origin);
void OpenSideboard(uint32_t id, int32_t mode);
bool DeleteRecordById(uint32_t id, int32_t pimPos);
bool ChangedRecordSaveSequence(int32_t pimPos, TNPIMRecord* record, const char* caller);
void AddTagFromEditRecordDialog();
void RemoveSharingItem(int32_t position);
void PaintRecordsComponentsList(TNViewItem* item, bool flag1, const char* caller, bool flag2);
// True when the author filter is off or the record passes it.
bool RecordPassesAuthorFilter(TNPIMRecord* record);
bool ScrollWheelableTo(int32_t position, const char* name);
void btnESCClick();
void ResizeZentor(int32_t width, int32_t height, int32_t panelHeight, int32_t panelWidth);
void ResizeHeaderComponents(int32_t width, int32_t height);
void ResizeControl(int32_t width, int32_t height, int32_t barHeight, int32_t barWidth);
void ResizeScrollbar(int32_t width, int32_t height, int32_t barWidth, int32_t columnHeight);
void FormMouseDown(plat::TComponent* sender, int32_t button, uint32_t shift, int32_t x, int32_t y);
void StatusClick(plat::TComponent* sender);
void recordClick(plat::TComponent* sender);
void recordDblClick(plat::TComponent* sender);
void recordMouseUp(plat::TComponent* sender, int32_t button, uint32_t shift, int32_t x, int32_t y);
plat::TForm* MainForm();
plat::TWinControl* gDesk();
plat::TPanel* pDesk();
plat::TPanel* FixedPanel(TNMainPanel panel);
plat::TImageList* imagelistAction();
plat::TComponent* popupText();
plat::TComponent* popupDaybox();
plat::TComponent* popupRecordImportance();
void SetRecordImportancePimPos(int32_t pimPos);
plat::TComponent* timerResize();
// 34 when unset.
int32_t DayCellSize();
// The main window starts job 6; unset, nothing starts.
void StartPicturesJob();
} // namespace ViewMain

namespace ViewDialog {
plat::TForm* Form(int32_t formTag);
plat::TComponent* popupText(int32_t formTag);
uint32_t EditedRecordId(int32_t formTag);
TNShareSelection ShareWithGroups(int32_t formTag);
TNShareSelection ShareWithContacts(int32_t formTag);
int32_t UniDialog(const char* key, plat::TForm* caller, const int32_t params[8]);
void FormResize();
void ShowTimePicker(int32_t type, plat::TForm* owner, TNViewItem* item, uint32_t componentId, plat::TComponent* button,
                    int32_t value);
} // namespace ViewDialog
