#pragma once

// The universal dialog's test fixture: the shell fixture's main window with
// the real dialog and time picker installed, a modal script that runs the
// step given for the shown dialog's key (a key without one closes at once),
// and test pages added to the key table for the test's lifetime.

#include "dialog/selectorfrm.h"
#include "dialog/unidlg.h"
#include "dialog/unidlg_pages.h"
#include "platform/gui/button.h"
#include "platform/gui/label.h"
#include "platform/gui/timer.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/shell_recorders.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dialog_test {

class DialogTest : public shell_test::ShellTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs `step` inside the modal loop of each dialog shown with `key`.
    void OnShown(const std::string& key, std::function<void(TfrmUnidlgDLMR1&)> step);
    // A page of the key table for this test: shown with `width` x `height`,
    // built as `build` answers (null builds nothing more).
    TNUniDialogPage& AddPage(const std::string& key, std::function<bool(TfrmUnidlgDLMR1&)> build = nullptr);
    // Opens a dialog from the main window.
    int32_t Open(const std::string& key, int32_t i1 = 0, int32_t i8 = 0);
    // The keys shown, in order.
    std::vector<std::string> shown;

private:
    std::map<std::string, std::function<void(TfrmUnidlgDLMR1&)>> steps_;
    std::vector<std::string> addedPages_;
    std::unique_ptr<plat::testing::ScopedModalScript> script_;
    plat::TOwned<TfrmSelector> selector_;
};

} // namespace dialog_test
