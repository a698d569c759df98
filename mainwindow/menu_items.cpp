#include "mainwindow/menu_items.h"

#include <utility>

plat::TMenuItem* AddMenuItem(plat::TComponent* owner, plat::TMenuItem* parent, const char* name,
                             const std::string& caption, std::function<void()> click)
{
    auto* item = new plat::TMenuItem(owner);
    item->SetName(name);
    item->SetCaption(caption);
    if (click)
        item->OnClick = [click = std::move(click)](plat::TComponent*) { click(); };
    parent->Add(item);
    return item;
}
