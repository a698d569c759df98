#include "platform/gui/notebook.h"

#include "platform/gui/main_thread.h"

namespace plat {

TNotebookPage::TNotebookPage(TComponent* owner) : TWinControl(owner)
{
}

TNotebook::TNotebook(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 150, 150);
}

TNotebookPage* TNotebook::AddPage(const std::string& name)
{
    RequireMainThread(ClassName(), "AddPage");
    auto* page = new TNotebookPage(Owner());
    page->SetName(name);
    page->SetVisible(pages_.empty());
    page->SetParent(this);
    page->SetAlign(TAlign::alClient);
    pages_.push_back(page);
    if (pages_.size() == 1)
        activePage_ = name;
    return page;
}

TNotebookPage* TNotebook::PageByName(const std::string& name) const
{
    for (TNotebookPage* page : pages_)
        if (page->Alive() && page->Name() == name)
            return page;
    return nullptr;
}

void TNotebook::SetActivePage(const std::string& name)
{
    RequireMainThread(ClassName(), "SetActivePage");
    TNotebookPage* next = PageByName(name);
    if (next == nullptr || name == activePage_)
        return;
    activePage_ = name;
    for (TNotebookPage* page : pages_)
        if (page->Alive())
            page->SetVisible(page == next);
    Realign();
    DispatchScope scope;
    if (auto slot = OnPageChanged)
        slot(this);
}

void TNotebook::Detach()
{
    OnPageChanged = nullptr;
    pages_.clear();
    TWinControl::Detach();
}

} // namespace plat
