#include "platform/gui/internal/menu_bridge.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/menu.h"

#include <QMenu>
#include <QMenuBar>

namespace plat {

FormMenuBar::FormMenuBar(QWidget* window) : bar_(new QMenuBar(window))
{
    bar_->setNativeMenuBar(false);
    bar_->hide();
    QObject::connect(bar_, &QMenuBar::triggered, [this](QAction* action) {
        auto it = actions_.find(action);
        if (it != actions_.end())
            PostMenuClick(it->second.Get());
    });
}

FormMenuBar::~FormMenuBar()
{
    QObject::disconnect(bar_, nullptr, nullptr, nullptr);
    delete bar_;
}

void FormMenuBar::Rebuild(TMainMenu* menu)
{
    actions_.clear();
    // Menus of the old bar go once the event that may show one is over.
    for (QMenu* old : bar_->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        old->deleteLater();
    bar_->clear();
    bool any = false;
    for (int i = 0; menu != nullptr && i < menu->Items()->Count(); ++i) {
        TMenuItem* item = menu->Items()->Items(i);
        if (!item->Visible() || item->IsSeparator())
            continue;
        any = true;
        const QString caption = ToQString(item->Caption());
        if (item->Count() > 0) {
            auto* sub = new QMenu(caption, bar_);
            sub->setEnabled(item->Enabled());
            FillMenu(*sub, *item, actions_);
            bar_->addMenu(sub);
            continue;
        }
        // A top-level item without sub-items is a command of its own.
        QAction* action = bar_->addAction(caption);
        action->setEnabled(item->Enabled());
        actions_[action] = item;
    }
    bar_->setVisible(any);
    // Layouts ask for the height often: measure once per build.
    height_ = any ? bar_->sizeHint().height() : 0;
}

int FormMenuBar::Height() const
{
    return height_;
}

void FormMenuBar::Place(int width)
{
    bar_->setGeometry(0, 0, width, Height());
}

bool FormMenuBar::Open() const
{
    for (QAction* action : bar_->actions())
        if (action->menu() != nullptr && action->menu()->isVisible())
            return true;
    return false;
}

} // namespace plat
