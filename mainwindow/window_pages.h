#pragma once

#include "mainwindow/page_services.h"

// The pages' entries served by the main window itself: each page's methods
// and state live on TfrmMainDLMR1, and this routes the shell's calls to them.
// An entry whose page is not built yet keeps the logging stand-in of
// TNPageServices. A page reaches another page's entry through the window's
// Pages(), so a test can put a subclass here to watch one.
class TNWindowPages : public TNPageServices {
public:
    void SetWindow(TfrmMainDLMR1& window) override { window_ = &window; }

    void EditRecord(TNPIMRecord* record) override;
    void RunCommand(TNPageCommand command) override;

protected:
    TfrmMainDLMR1& Window() const { return *window_; }

private:
    TfrmMainDLMR1* window_ = nullptr;
};
