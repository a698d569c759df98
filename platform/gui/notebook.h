#pragma once

#include "platform/gui/win_control.h"

#include <string>
#include <vector>

namespace plat {

// One named page of a notebook; controls go on it as on a panel.
class TNotebookPage : public TWinControl {
public:
    explicit TNotebookPage(TComponent* owner);
    const char* ClassName() const override { return "TPage"; }
};

// Named pages of which only the active one shows. Pages fill the notebook;
// switching hides the old page only, so controls on it keep their own
// Visible. OnPageChanged runs once per real change of ActivePage.
class TNotebook : public TWinControl {
public:
    explicit TNotebook(TComponent* owner);
    const char* ClassName() const override { return "TNotebook"; }

    TNotebookPage* AddPage(const std::string& name);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TNotebookPage* Page(int index) const { return pages_.at(static_cast<size_t>(index)); }
    TNotebookPage* PageByName(const std::string& name) const;

    const std::string& ActivePage() const { return activePage_; }
    // An unknown name changes nothing.
    void SetActivePage(const std::string& name);

    TNotifyEvent OnPageChanged;

protected:
    void Detach() override;

private:
    std::vector<TNotebookPage*> pages_;
    std::string activePage_;
};

} // namespace plat
