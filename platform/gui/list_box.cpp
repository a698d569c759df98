#include "platform/gui/list_box.h"

#include "platform/gui/canvas.h"
#include "platform/gui/internal/canvas_impl.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"

#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>

namespace plat {

// Rows of the list's ItemHeight, painted by OnDrawItem when owner-drawn.
class ListRowDelegate : public QStyledItemDelegate {
public:
    ListRowDelegate(TListBox& owner, QObject* parent) : QStyledItemDelegate(parent), list(&owner) {}
    TListBox* list;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (list == nullptr || list->Style() != TListBoxStyle::lbOwnerDrawFixed || !list->OnDrawItem) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        DispatchScope scope;
        TOwnerDrawState state = 0;
        if (option.state & QStyle::State_Selected)
            state |= odSelected;
        if (option.state & QStyle::State_HasFocus)
            state |= odFocused;
        const QRect r = option.rect;
        painter->save();
        painter->setClipRect(r);
        TCanvas canvas(CanvasImpl::ForPainter(*painter));
        auto slot = list->OnDrawItem;
        slot(list, index.row(), Bounds(r.x(), r.y(), r.width(), r.height()), state, canvas);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (list == nullptr || list->Style() != TListBoxStyle::lbOwnerDrawFixed)
            return QStyledItemDelegate::sizeHint(option, index);
        return QSize(1, list->ItemHeight());
    }
};

namespace {

QListWidget& Widget(const TListBox& list)
{
    return *static_cast<QListWidget*>(list.Impl().editor);
}

} // namespace

TListBox::TListBox(TComponent* owner) : TWinControl(owner)
{
    auto* widget = new QListWidget;
    widget->setFrameShape(QFrame::NoFrame);
    widget->setUniformItemSizes(true);
    delegate_ = new ListRowDelegate(*this, widget);
    widget->setItemDelegate(delegate_);
    widget->setContextMenuPolicy(Qt::NoContextMenu);
    Impl().AttachEditor(this, widget, 0);
    SetTabStop(true);
    QObject::connect(widget, &QListWidget::itemSelectionChanged, [this] {
        if (!byCode_ && Alive())
            Click();
    });
    SetColor(clWhite);
    SetBounds(0, 0, 121, 97);
}

void TListBox::SetItems(const std::vector<std::string>& items)
{
    BeginUpdate();
    ClearItems();
    for (const std::string& item : items)
        AddItem(item);
    EndUpdate();
}

void TListBox::AddItem(const std::string& item)
{
    RequireMainThread(ClassName(), "AddItem");
    byCode_ = true;
    items_.push_back(item);
    Widget(*this).addItem(ToQString(item));
    byCode_ = false;
}

void TListBox::ClearItems()
{
    byCode_ = true;
    items_.clear();
    Widget(*this).clear();
    byCode_ = false;
}

int TListBox::ItemIndex() const
{
    return Widget(*this).currentRow();
}

void TListBox::SetItemIndex(int index)
{
    RequireMainThread(ClassName(), "SetItemIndex");
    byCode_ = true;
    Widget(*this).setCurrentRow(index >= 0 && index < static_cast<int>(items_.size()) ? index : -1);
    if (index < 0)
        Widget(*this).clearSelection();
    byCode_ = false;
}

void TListBox::SetMultiSelect(bool multiSelect)
{
    multiSelect_ = multiSelect;
    Widget(*this).setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection
                                               : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(int index) const
{
    const QListWidgetItem* item = Widget(*this).item(index);
    return item != nullptr && item->isSelected();
}

void TListBox::SetSelected(int index, bool selected)
{
    byCode_ = true;
    if (QListWidgetItem* item = Widget(*this).item(index))
        item->setSelected(selected);
    byCode_ = false;
}

void TListBox::SelectAll()
{
    if (!multiSelect_)
        return;
    byCode_ = true;
    Widget(*this).selectAll();
    byCode_ = false;
}

void TListBox::SetStyle(TListBoxStyle style)
{
    style_ = style;
    Widget(*this).doItemsLayout();
}

void TListBox::SetItemHeight(int height)
{
    itemHeight_ = height < 1 ? 1 : height;
    Widget(*this).doItemsLayout();
}

void TListBox::Detach()
{
    delegate_->list = nullptr;
    OnDrawItem = nullptr;
    TWinControl::Detach();
}

} // namespace plat
