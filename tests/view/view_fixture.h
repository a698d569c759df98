#pragma once

// The view test fixture: the offscreen GUI layer with fixed metrics, the
// program's globals with a fake clock, a fresh View per test, hook
// recorders, the log captured, a fake main window with its fixed panels and
// a fake dialog window in slot 0.

#include "platform/gui/form.h"
#include "platform/gui/image_list.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "tests/model/model_test_support.h"
#include "view/hooks.h"
#include "view/view.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace view_test {

// Counts the calls that reach the hook tables, by entry name.
struct HookRecorder {
    std::map<std::string, int> Calls;
    // The Tag of the control the last status click came from.
    int64_t LastStatusTag = -1;
    int Count(const std::string& name) const
    {
        auto found = Calls.find(name);
        return found == Calls.end() ? 0 : found->second;
    }
};
extern HookRecorder* Recorder;

// Records its name when freed: shows the order in which items go.
class FreeProbe : public plat::TComponent {
public:
    FreeProbe(plat::TComponent* owner, std::string name, std::vector<std::string>* freed);
    const char* ClassName() const override { return "FreeProbe"; }

protected:
    void Detach() override;

private:
    std::string name_;
    std::vector<std::string>* freed_;
};

// Builds the program's globals, once per process, with View joined to
// them; a member to put before a log capture, which needs them.
struct GlobalsReady {
    GlobalsReady();
};

class ViewTest : public plat::testing::OffscreenGuiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A component of a kind whose operations are not built, given a panel
    // on `parentControl` as a kind's create operation would, so that its
    // own children can be linked to it.
    TNViewItem* MakeItem(int8_t kind, const char* name, plat::TWinControl* parentControl = nullptr,
                         plat::TForm* owner = nullptr);
    // A scroll box, with its clipping frame and one list state.
    TNViewItem* MakeScrollbox(const char* name, plat::TWinControl* parentControl = nullptr);

    // The week views' row backgrounds the main window draws at start, as
    // blank white images 800 wide and one day (24 hours of four rows) high.
    static void MakeDayboxBackgrounds();

    plat::TForm* MainForm() const { return mainForm_.get(); }
    plat::TForm* DialogForm() const { return dialogForm_.get(); }
    plat::TPanel* FixedPanel(TNMainPanel panel) const { return fixedPanels_[panel]; }
    plat::TPanel* Desk() const { return desk_; }
    // The page notebook with "Login", "Pomocne" and "Kalendar", on "Kalendar".
    plat::TNotebook* Pages() const { return pages_; }
    // Disabled at 1000 ms until a layout arms it.
    plat::TTimer* ResizeTimer() const { return resizeTimer_; }
    // 18 icons of 16 x 16, icon i filled with ActionIconColor(i).
    plat::TImageList* ActionImages() const { return actionImages_.get(); }
    static plat::TColor ActionIconColor(int index);
    // Takes every UI-update tag queued so far, oldest first.
    static std::vector<int16_t> TakeQueuedUiTags();
    // Sets the fake clock to a local wall-clock time; TearDown puts it back.
    void SetNow(int32_t day, int32_t month, int32_t year, int32_t hour, int32_t minute);

    GlobalsReady globals_;
    model_test::LogCapture log_;
    HookRecorder recorder_;
    // Names FreeProbes report as they go.
    std::vector<std::string> freed_;

private:
    plat::TOwned<plat::TForm> mainForm_;
    plat::TOwned<plat::TForm> dialogForm_;
    plat::TPanel* fixedPanels_[kMainPanelCount] = {};
    plat::TPanel* desk_ = nullptr;
    plat::TNotebook* pages_ = nullptr;
    plat::TTimer* resizeTimer_ = nullptr;
    std::unique_ptr<plat::TImageList> actionImages_;
    int64_t savedNow_ = 0;
};

} // namespace view_test
