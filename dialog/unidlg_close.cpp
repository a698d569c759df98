// OK, Close and the end of a dialog: the savers by key, the close rules, the
// clean-up and the wait for the dialog's background update.

#include "dialog/unidlg.h"

#include "dialog/selectorfrm.h"
#include "dialog/unidlg_pages.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/main_window.h"
#include "model/record.h"
#include "online/global.h"
#include "platform/core/clock.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <string>

namespace {

constexpr int32_t kWaitPasses = 400;
constexpr int32_t kFirstLoggedPass = 10;
constexpr int64_t kPollMilliseconds = 25;

bool MandatoryProfile(const TfrmUnidlgDLMR1& dialog)
{
    return dialog.Key == "BasicProfileSettings" && dialog.i8() == 1;
}

} // namespace

void TfrmUnidlgDLMR1::btnUlozitClick()
{
    Guarded("[TfrmUnidlgDLMR1::btnUlozitClick]", [&] {
        bool ok = true;
        bool plain = true;
        if (page_ != nullptr && page_->SavesNothing) {
            plain = false;
        } else if (page_ != nullptr && page_->Save) {
            plain = false;
            ok = page_->Save(*this);
        }
        if (!ok)
            return;
        if (plain)
            SavePlainSettings();
        if (Key == "MB")
            MessageBoxFields.Result = 1;
        saved = 1;
        mayClose = 1;
        closeAttemptPrepared_ = true;
        Close();
    });
}

// Stores the main window's values and, once a user is signed in (there is a
// settings file), saves the settings and the user list as the log-out does.
void TfrmUnidlgDLMR1::SavePlainSettings()
{
    if (frmMainDLMR1 != nullptr)
        frmMainDLMR1->UlozHodnotyNastaveni(true);
    if (Dirs.UsersSetupFile.IsEmpty())
        return;
    Setup.Save(Uzivatele, std::string(Dirs.UsersSetupFile.View()));
    const std::string folder = TNGlobal::EnterUsersFolder();
    if (!folder.empty())
        Uzivatele.Save(folder);
}

bool TfrmUnidlgDLMR1::PrepareClose()
{
    if (saved == 0 && MandatoryProfile(*this)) {
        savingOnClose = true;
        const bool stored = page_ != nullptr && page_->Save && page_->Save(*this);
        savingOnClose = false;
        mayClose = stored ? 1 : 0;
        if (!stored)
            return false;
    }
    if (Key == "NewUser" && frmMainDLMR1 != nullptr) {
        frmMainDLMR1->timerOnline->SetTag(999);
        frmMainDLMR1->timerOnline->SetEnabled(false);
    }
    return true;
}

void TfrmUnidlgDLMR1::btnZavritClick()
{
    Guarded("[TfrmUnidlgDLMR1::btnZavritClick]", [&] {
        if (!PrepareClose())
            return;
        // The close query this attempt runs must not run the rules again.
        closeAttemptPrepared_ = true;
        Close();
    });
}

void TfrmUnidlgDLMR1::mnuKonecClick()
{
    Close();
}

void TfrmUnidlgDLMR1::FormCloseQuery(bool& canClose)
{
    canClose = Guarded("[TfrmUnidlgDLMR1::FormCloseQuery]", true, [&] {
        LogText("[Unidlg::FormCloseQuery][BEGIN]");
        if (saved == 0 && !closeAttemptPrepared_)
            PrepareClose();
        closeAttemptPrepared_ = false;
        const bool may = mayClose != 0;
        if (may) {
            LogText("[Unidlg::FormCloseQuery] Before View.DeleteComponentsByFormHandle");
            View.DeleteComponentsByFormHandle(this);
            LogText("[Unidlg::FormCloseQuery] After View.DeleteComponentsByFormHandle");
        }
        LogWrite("[Unidlg::FormCloseQuery][END] CanClose = ", may ? "1" : "0", false);
        return may;
    });
}

void TfrmUnidlgDLMR1::FormClose()
{
    Guarded("[TfrmUnidlgDLMR1::FormClose]", [&] {
        LogText("[Unidlg::FormClose][BEGIN]");
        WaitForEditedRecordUpdate();
        if (frmMainDLMR1 != nullptr && SlotIndex >= 0 && SlotIndex < TfrmMainDLMR1::kMaxDialogs &&
            frmMainDLMR1->windowTable[SlotIndex + 1] == this)
            frmMainDLMR1->windowTable[SlotIndex + 1] = nullptr;
        if (frmSelector != nullptr)
            frmSelector->AnchorClosing(this);
        if (frmMainDLMR1 != nullptr) {
            plat::TTimer* timer = frmMainDLMR1->timerEditRecord;
            if (addSomethingElseMode != 0 && frmMainDLMR1->addSomethingElseType.load() != 0) {
                timer->SetTag(0);
                timer->SetEnabled(true);
            } else if (recordToOpenAfterClose > 0) {
                timer->SetTag(recordToOpenAfterClose);
                timer->SetEnabled(true);
            }
        }
        workingRecord.reset();
        if (Key == "NewUser")
            EndNewUserPage();
        LogText("[Unidlg::FormClose][END]");
    });
}

// Waits for the dialog's own background steps. Job 4 hands its copy only to
// the dialog whose id it carries, so its flag is the job's to clear.
void TfrmUnidlgDLMR1::WaitForEditedRecordUpdate()
{
    Guarded("[TfrmUnidlgDLMR1::WaitForEditedRecordUpdate]", [&] {
        struct Flag {
            std::atomic<bool>& value;
            const char* name;
        };
        const Flag flags[] = {{runningUpdateUniDlgUiTimer, "runningUpdateUniDlgUiTimer"},
                              {runningUpdateEditedRecord, "runningUpdateEditedRecord"},
                              {runningUpdateEditedSharing, "runningUpdateEditedSharing"}};
        const plat::TCursor before = plat::Screen::Cursor();
        plat::Screen::SetCursor(plat::crHourGlass);
        for (const Flag& flag : flags) {
            for (int32_t pass = 1; flag.value.load(); ++pass) {
                if (pass > kWaitPasses) {
                    LogText((std::string("[TfrmUnidlgDLMR1::WaitForEditedRecordUpdate][ERROR] Resetting ") + flag.name)
                                .c_str());
                    flag.value.store(false);
                    break;
                }
                if (pass >= kFirstLoggedPass)
                    LogWrite(
                        (std::string("[TfrmUnidlgDLMR1::WaitForEditedRecordUpdate] Waiting for ") + flag.name + "... ")
                            .c_str(),
                        std::to_string(pass).c_str(), false);
                plat::SleepMilliseconds(kPollMilliseconds);
            }
        }
        plat::Screen::SetCursor(before);
    });
}
