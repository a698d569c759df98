#include "platform/gui/menu.h"

#include "platform/gui/internal/key_codes.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/internal/menu_bridge.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/main_thread.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>

#include <algorithm>
#include <map>

namespace plat {

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner)
{
}

TMenuItem::~TMenuItem() = default;

std::string TMenuItem::ShownCaption() const
{
    std::string shown;
    for (size_t i = 0; i < caption_.size(); ++i) {
        if (caption_[i] == '&' && i + 1 < caption_.size())
            ++i;
        else if (caption_[i] == '&')
            continue;
        shown.push_back(caption_[i]);
    }
    return shown;
}

void TMenuItem::SetCaption(const std::string& caption)
{
    caption_ = caption;
    Changed();
}

void TMenuItem::SetChecked(bool checked)
{
    checked_ = checked;
    Changed();
    if (!checked || !radioItem_ || parentItem_ == nullptr)
        return;
    for (TMenuItem* sibling : parentItem_->items_)
        if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
            sibling->checked_ = false;
}

void TMenuItem::SetRadioItem(bool radio)
{
    radioItem_ = radio;
    Changed();
}

void TMenuItem::SetVisible(bool visible)
{
    visible_ = visible;
    Changed();
}

void TMenuItem::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut shortCut)
{
    shortCut_ = shortCut;
    Changed();
}

void TMenuItem::Changed()
{
    const TMenuItem* root = this;
    while (root->parentItem_ != nullptr)
        root = root->parentItem_;
    if (auto* menu = dynamic_cast<const TMainMenu*>(root->Owner()))
        MainMenuChanged(*menu);
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (item == nullptr || item->parentItem_ != nullptr)
        return;
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parentItem_ = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end())
        return;
    items_.erase(it);
    item->parentItem_ = nullptr;
    Changed();
}

void TMenuItem::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    Items(index)->Free();
}

void TMenuItem::Clear()
{
    while (!items_.empty())
        items_.back()->Free();
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::FindByName(const std::string& name)
{
    if (Name() == name && !name.empty())
        return this;
    for (TMenuItem* item : items_)
        if (TMenuItem* found = item->FindByName(name))
            return found;
    return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortCut)
{
    if (!enabled_ || shortCut == 0)
        return nullptr;
    if (shortCut_ == shortCut && parentItem_ != nullptr)
        return this;
    for (TMenuItem* item : items_)
        if (TMenuItem* found = item->FindShortCut(shortCut))
            return found;
    return nullptr;
}

void TMenuItem::Click()
{
    if (!enabled_)
        return;
    DispatchScope scope;
    if (auto slot = OnClick)
        slot(this);
}

void TMenuItem::Detach()
{
    Clear();
    if (parentItem_ != nullptr)
        parentItem_->Remove(this);
    OnClick = nullptr;
    TComponent::Detach();
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this))
{
}

void TMenu::Detach()
{
    items_->Free();
    TComponent::Detach();
}

void TMainMenu::Detach()
{
    // The bars showing the menu lose it after this event.
    MainMenuChanged(*this);
    TMenu::Detach();
}

namespace {

// "Ctrl+C", "Del", "Shift+F1": the short cut as the menu shows it.
QString ShortCutText(TShortCut shortCut)
{
    const int key = QtKeyOfVirtualKey(static_cast<uint16_t>(shortCut & 0x1FFF));
    if (key == 0)
        return QString();
    int modifiers = 0;
    if (shortCut & scShift)
        modifiers |= Qt::SHIFT;
    if (shortCut & scCtrl)
        modifiers |= Qt::CTRL;
    if (shortCut & scAlt)
        modifiers |= Qt::ALT;
    return QKeySequence(key | modifiers).toString(QKeySequence::NativeText);
}

void CollectVisible(TMenuItem& root, PopupRecord& record)
{
    for (int i = 0; i < root.Count(); ++i) {
        TMenuItem* item = root.Items(i);
        if (!item->Visible())
            continue;
        record.items.push_back(item->Name());
        record.captions.push_back(item->ShownCaption());
    }
}

} // namespace

void FillMenu(QMenu& menu, TMenuItem& parent, MenuActions& actions)
{
    QActionGroup* group = nullptr;
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (!item->Visible())
            continue;
        if (item->IsSeparator()) {
            menu.addSeparator();
            continue;
        }
        const QString caption = ToQString(item->Caption());
        if (item->Count() > 0) {
            QMenu* sub = menu.addMenu(caption);
            sub->setEnabled(item->Enabled());
            FillMenu(*sub, *item, actions);
            continue;
        }
        const QString shortCut = ShortCutText(item->ShortCut());
        QAction* action = menu.addAction(shortCut.isEmpty() ? caption : caption + QLatin1Char('\t') + shortCut);
        action->setEnabled(item->Enabled());
        if (item->Checked() || item->RadioItem()) {
            action->setCheckable(true);
            action->setChecked(item->Checked());
        }
        if (item->RadioItem()) {
            if (group == nullptr)
                group = new QActionGroup(&menu);
            group->addAction(action);
        }
        actions[action] = item;
    }
}

void PostMenuClick(TMenuItem* item)
{
    TWeakRef<TMenuItem> chosen(item);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [chosen] {
            if (TMenuItem* item = chosen.Get())
                item->Click();
        },
        Qt::QueuedConnection);
}

void TPopupMenu::Popup(int x, int y)
{
    RequireMainThread(ClassName(), "Popup");
    DispatchScope scope;
    TWeakRef<TPopupMenu> self(this);
    if (auto slot = OnPopup)
        slot(this);
    if (!self)
        return;
    QMenu menu;
    MenuActions items;
    FillMenu(menu, *Items(), items);
    PopupRecord record;
    record.menu = this;
    record.x = x;
    record.y = y;
    record.rightAligned = alignment_ == TPopupAlignment::paRight;
    record.width = menu.sizeHint().width();
    record.left = record.rightAligned ? x - record.width : x;
    CollectVisible(*Items(), record);

    TWeakRef<TMenuItem> chosen;
    if (Seams().popupScript) {
        const std::string name = Seams().popupScript(record);
        if (self && !name.empty())
            chosen = Items()->FindByName(name);
    } else if (NobodyToAsk()) {
        LayerLog("[TPopupMenu::Popup] " + Name() + ": no user on the offscreen platform, nothing chosen");
    } else if (QAction* action = menu.exec(QPoint(record.left, y))) {
        auto it = items.find(action);
        if (it != items.end())
            chosen = it->second;
    }
    if (chosen && chosen->Enabled())
        PostMenuClick(chosen.Get());
}

void TPopupMenu::Detach()
{
    OnPopup = nullptr;
    TMenu::Detach();
}

} // namespace plat
