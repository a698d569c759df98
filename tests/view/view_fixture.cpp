#include "tests/view/view_fixture.h"

#include "foundation/globals.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/testing/fake_clock.h"
#include "view/image_table.h"

#include <string>
#include <utility>

namespace view_test {

HookRecorder* Recorder = nullptr;

namespace {

// The program's globals, once per process, with View joined to them.
model_test::Environment& SharedEnvironment()
{
    static model_test::Environment* environment = [] {
        InstallOnlineGlobals();
        InstallViewGlobals();
        InstallViewHooks();
        return new model_test::Environment();
    }();
    return *environment;
}

ViewTest* current = nullptr;

void Count(const char* name)
{
    if (Recorder != nullptr)
        ++Recorder->Calls[name];
}

} // namespace

GlobalsReady::GlobalsReady()
{
    SharedEnvironment();
}

FreeProbe::FreeProbe(plat::TComponent* owner, std::string name, std::vector<std::string>* freed)
    : plat::TComponent(owner), name_(std::move(name)), freed_(freed)
{
}

void FreeProbe::Detach()
{
    freed_->push_back(name_);
    plat::TComponent::Detach();
}

void ViewTest::SetUp()
{
    OffscreenGuiTest::SetUp();
    UseFixedMetrics();
    savedNow_ = plat::CurrentClock().UnixMilliseconds();
    ASSERT_TRUE(ViewGlobalsConstructed());
    DestroyViewGlobals();
    ConstructViewGlobals();
    WindowState.TruncateShownRecords(0);

    mainForm_.reset(new plat::TForm());
    mainForm_->SetBounds(0, 0, 800, 600);
    for (int i = 0; i < kMainPanelCount; ++i) {
        fixedPanels_[i] = new plat::TPanel(mainForm_.get());
        fixedPanels_[i]->SetParent(mainForm_.get());
    }
    desk_ = new plat::TPanel(mainForm_.get());
    desk_->SetParent(mainForm_.get());
    dialogForm_.reset(new plat::TForm());
    pages_ = new plat::TNotebook(mainForm_.get());
    for (const char* page : {"Login", "Pomocne", "Kalendar"})
        pages_->AddPage(page);
    pages_->SetActivePage("Kalendar");
    resizeTimer_ = new plat::TTimer(mainForm_.get());
    resizeTimer_->SetEnabled(false);
    actionImages_ = std::make_unique<plat::TImageList>(16, 16);
    for (int i = 0; i < 18; ++i) {
        plat::TBitmap icon;
        icon.SetSize(16, 16);
        icon.Canvas().Brush.Color = ActionIconColor(i);
        icon.Canvas().FillRect(plat::Rect(0, 0, 16, 16));
        // A transparent picture shows through its bottom-left colour.
        icon.Canvas().SetPixel(0, 15, plat::clWhite);
        actionImages_->Add(icon);
    }
    ImageTable.Clear();

    current = this;
    Recorder = &recorder_;
    ViewMainHooks = TNViewMainHooks();
    ViewMainHooks.MainForm = [] { return current->MainForm(); };
    ViewMainHooks.pDesk = [] { return current->Desk(); };
    ViewMainHooks.FixedPanel = [](TNMainPanel panel) { return current->FixedPanel(panel); };
    ViewMainHooks.gDesk = []() -> plat::TWinControl* { return current->Pages(); };
    ViewMainHooks.timerResize = []() -> plat::TComponent* { return current->ResizeTimer(); };
    ViewMainHooks.imagelistAction = [] { return current->ActionImages(); };
    ViewMainHooks.StatusClick = [](plat::TComponent* sender) {
        Count("StatusClick");
        if (Recorder != nullptr)
            Recorder->LastStatusTag = sender != nullptr ? sender->Tag() : -1;
    };
    ViewMainHooks.AddTagFromEditRecordDialog = [] { Count("AddTagFromEditRecordDialog"); };
    ViewMainHooks.FormMouseDown = [](plat::TComponent*, int32_t, uint32_t, int32_t, int32_t) {
        Count("FormMouseDown");
    };
    ViewDialogHooks = TNViewDialogHooks();
    ViewDialogHooks.Form = [](int32_t formTag) { return formTag == 0 ? current->DialogForm() : nullptr; };
}

void ViewTest::TearDown()
{
    if (auto* clock = dynamic_cast<plat::testing::FakeClock*>(&plat::CurrentClock()))
        clock->SetUnixMilliseconds(savedNow_);
    ImageTable.Clear();
    DestroyViewGlobals();
    ConstructViewGlobals();
    ViewMainHooks = TNViewMainHooks();
    ViewDialogHooks = TNViewDialogHooks();
    Recorder = nullptr;
    current = nullptr;
    dialogForm_.reset();
    mainForm_.reset();
    OffscreenGuiTest::TearDown();
}

void ViewTest::SetNow(int32_t day, int32_t month, int32_t year, int32_t hour, int32_t minute)
{
    auto* clock = dynamic_cast<plat::testing::FakeClock*>(&plat::CurrentClock());
    ASSERT_NE(clock, nullptr);
    TNTime time;
    time.SetDateTime(day, month, 0, minute, hour, year);
    clock->SetUnixSeconds(time.GetTimestamp());
}

std::vector<int16_t> ViewTest::TakeQueuedUiTags()
{
    std::vector<int16_t> tags;
    int16_t tag = 0;
    uint32_t param = 0;
    while (g.uiTags.Take(&tag, &param))
        tags.push_back(tag);
    return tags;
}

plat::TColor ViewTest::ActionIconColor(int index)
{
    return plat::RGB(10 * index, 255 - 10 * index, 100);
}

void ViewTest::MakeDayboxBackgrounds()
{
    for (int32_t rowHeight : {15, 20, 23}) {
        const std::string name = "bgCalendarOneDay" + std::to_string(4 * rowHeight);
        ImageTable.CreateBlankImage(name.c_str(), 800, 24 * 4 * rowHeight, plat::clWhite);
    }
}

TNViewItem* ViewTest::MakeItem(int8_t kind, const char* name, plat::TWinControl* parentControl, plat::TForm* owner)
{
    if (owner == nullptr)
        owner = mainForm_.get();
    TNViewItem* item = View.CreateComponent(kind, name, owner, parentControl, 0, "", 1, -1, nullptr, nullptr, 3);
    if (item != nullptr && item->Panel.Get() == nullptr) {
        auto* panel = new plat::TPanel(owner);
        panel->SetBounds(0, 0, 50, 20);
        panel->SetParent(parentControl);
        item->Panel = panel;
    }
    return item;
}

TNViewItem* ViewTest::MakeScrollbox(const char* name, plat::TWinControl* parentControl)
{
    return MakeItem(cmpScrollbox, name, parentControl);
}

} // namespace view_test
