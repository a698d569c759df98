#pragma once

// Form fields on a shown main window, and the universal dialog's share of
// them faked in dialog slot 0: its text popup menu, the edited record id,
// the two share-with lists, a UniDialog that runs a real nested loop with a
// script inside, a FormResize counter and a time-picker recorder.

#include "platform/gui/menu.h"
#include "tests/view/view_fixture.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace view_test {

// An OnChange callback that notes the item in the running test's changes.
void RecordChange(TNViewItem* item);

struct TimePickerCall {
    int32_t Type = 0;
    plat::TForm* Owner = nullptr;
    TNViewItem* Item = nullptr;
    uint32_t ComponentId = 0;
    plat::TComponent* Button = nullptr;
    int32_t Value = 0;
};

// What the universal dialog of slot 0 shows the view.
struct DialogSlotFake {
    plat::TPopupMenu* PopupText = nullptr;
    uint32_t RecordId = 0;
    std::vector<uint32_t> GroupIds;
    std::vector<uint8_t> GroupSelected;
    std::vector<uint32_t> ContactIds;
    std::vector<uint8_t> ContactSelected;
    // Runs inside the nested "ShareWith" dialog's modal loop.
    std::function<void()> NestedScript;
    std::vector<std::string> UniDialogKeys;
    std::vector<int32_t> UniDialogFirstParams;
    int FormResizeCalls = 0;
    std::vector<TimePickerCall> TimePickerCalls;
};

class FieldTest : public ViewTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A form field on the host panel of the shown main window.
    TNViewItem* Field(int8_t kind, const char* name, const char* caption, int32_t captionPosition = 3,
                      uint8_t alignment = 1, int32_t column = 0);
    // The same in the fake dialog's window (slot 0).
    TNViewItem* DialogField(int8_t kind, const char* name, const char* caption);
    plat::TPanel* Host() const { return host_; }
    plat::TPanel* DialogHost() const { return dialogHost_; }

    DialogSlotFake dialog_;
    // Items whose OnChange ran, in order (RecordChange).
    std::vector<TNViewItem*> changed_;
    friend void RecordChange(TNViewItem* item);

private:
    plat::TPanel* host_ = nullptr;
    plat::TPanel* dialogHost_ = nullptr;
};

} // namespace view_test
