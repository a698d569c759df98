#include "platform/gui/combo_box.h"

#include "platform/gui/canvas.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"
#include "platform/gui/screen.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

namespace plat {

// Runs OnDropDown before Qt opens the list.
class ComboEditor : public QComboBox {
public:
    explicit ComboEditor(TComboBox& owner) : combo(&owner) {}
    TComboBox* combo;

    void showPopup() override
    {
        if (combo != nullptr && combo->Alive() && combo->OnDropDown) {
            DispatchScope scope;
            TWeakRef<TComboBox> self(combo);
            auto slot = combo->OnDropDown;
            slot(combo);
            if (!self)
                return;
        }
        QComboBox::showPopup();
    }
};

namespace {

ComboEditor& Editor(const TComboBox& combo)
{
    return *static_cast<ComboEditor*>(combo.Impl().editor);
}

} // namespace

TComboBox::TComboBox(TComponent* owner) : TCustomEdit(owner)
{
    auto* editor = new ComboEditor(*this);
    editor->setEditable(true);
    editor->setInsertPolicy(QComboBox::NoInsert);
    editor->setMaxVisibleItems(dropDownCount_);
    editor->setContextMenuPolicy(Qt::NoContextMenu);
    Impl().AttachEditor(this, editor, 0);
    SetTabStop(true);
    // The user's choice: an editable combo hears of it through its text.
    QObject::connect(editor, qOverload<int>(&QComboBox::activated), [this](int) {
        if (style_ == TComboBoxStyle::csDropDownList)
            TextChanged();
    });
    QObject::connect(editor, &QComboBox::editTextChanged, [this](const QString&) {
        if (!byCode_ && style_ == TComboBoxStyle::csDropDown)
            TextChanged();
    });
    SetBounds(0, 0, 145, 21);
}

void TComboBox::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    byCode_ = true;
    Editor(*this).setEditable(style == TComboBoxStyle::csDropDown);
    if (QLineEdit* line = Editor(*this).lineEdit())
        line->setContextMenuPolicy(Qt::NoContextMenu);
    byCode_ = false;
}

void TComboBox::SetItems(const std::vector<std::string>& items)
{
    ClearItems();
    for (const std::string& item : items)
        AddItem(item);
}

void TComboBox::AddItem(const std::string& item)
{
    RequireMainThread(ClassName(), "AddItem");
    byCode_ = true;
    const QString text = Editor(*this).currentText();
    items_.push_back(item);
    Editor(*this).addItem(ToQString(item));
    // Qt selects the first item added; a new list has no selection here.
    if (items_.size() == 1) {
        Editor(*this).setCurrentIndex(-1);
        Editor(*this).setEditText(text);
    }
    byCode_ = false;
}

void TComboBox::ClearItems()
{
    byCode_ = true;
    const QString text = Editor(*this).currentText();
    items_.clear();
    Editor(*this).clear();
    if (style_ == TComboBoxStyle::csDropDown)
        Editor(*this).setEditText(text);
    byCode_ = false;
}

int TComboBox::ItemIndex() const
{
    return Editor(*this).currentIndex();
}

void TComboBox::SetItemIndex(int index)
{
    RequireMainThread(ClassName(), "SetItemIndex");
    byCode_ = true;
    Editor(*this).setCurrentIndex(index >= 0 && index < static_cast<int>(items_.size()) ? index : -1);
    byCode_ = false;
}

void TComboBox::SetDropDownCount(int count)
{
    dropDownCount_ = count < 1 ? 1 : count;
    Editor(*this).setMaxVisibleItems(dropDownCount_);
}

std::string TComboBox::Text() const
{
    return FromQString(Editor(*this).currentText());
}

void TComboBox::SetText(const std::string& text)
{
    RequireMainThread(ClassName(), "SetText");
    byCode_ = true;
    const int index = Editor(*this).findText(ToQString(text), Qt::MatchExactly);
    if (style_ == TComboBoxStyle::csDropDownList) {
        Editor(*this).setCurrentIndex(index);
    } else {
        Editor(*this).setCurrentIndex(index);
        Editor(*this).setEditText(ToQString(text));
    }
    byCode_ = false;
}

void TComboBox::SetMaxLength(int length)
{
    TCustomEdit::SetMaxLength(length);
    if (QLineEdit* line = Editor(*this).lineEdit())
        line->setMaxLength(MaxLength() == 0 ? 32767 : MaxLength());
}

int TComboBox::SelStart() const
{
    const QLineEdit* line = Editor(*this).lineEdit();
    if (line == nullptr)
        return 0;
    return line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
}

int TComboBox::SelLength() const
{
    const QLineEdit* line = Editor(*this).lineEdit();
    return line == nullptr ? 0 : static_cast<int>(line->selectedText().size());
}

void TComboBox::SetSelStart(int start)
{
    if (QLineEdit* line = Editor(*this).lineEdit())
        line->setCursorPosition(start);
}

void TComboBox::SetSelLength(int length)
{
    if (QLineEdit* line = Editor(*this).lineEdit())
        line->setSelection(SelStart(), length);
}

void TComboBox::SetSelText(const std::string& text)
{
    if (QLineEdit* line = Editor(*this).lineEdit())
        line->insert(ToQString(text));
}

void TComboBox::Undo()
{
    if (QLineEdit* line = Editor(*this).lineEdit())
        line->undo();
}

// A combo box has no clipboard operation of its own: the selected text goes
// to the clipboard, and a paste replaces the selection.
void TComboBox::CopyToClipboard()
{
    const std::string selected = SelText();
    if (!selected.empty())
        Clipboard::SetText(selected);
}

void TComboBox::CutToClipboard()
{
    const std::string selected = SelText();
    if (selected.empty())
        return;
    Clipboard::SetText(selected);
    SetSelText(std::string());
}

void TComboBox::PasteFromClipboard()
{
    SetSelText(Clipboard::Text());
}

void TComboBox::SelectAll()
{
    if (QLineEdit* line = Editor(*this).lineEdit())
        line->selectAll();
}

int TComboBox::DropDown()
{
    Editor(*this).showPopup();
    QAbstractItemView* view = Editor(*this).view();
    return view->isVisible() ? view->window()->width() : 0;
}

void TComboBox::CloseUp()
{
    Editor(*this).hidePopup();
}

void TComboBox::Detach()
{
    Editor(*this).combo = nullptr;
    OnDropDown = nullptr;
    TCustomEdit::Detach();
}

TFlatComboBox::TFlatComboBox(TComponent* owner) : TComboBox(owner)
{
    Impl().editorInset = 1;
    Impl().PlaceEditor();
    SetColor(clWhite);
    fontHeight_.Apply(*this);
}

void TFlatComboBox::SetColorFlat(TColor color)
{
    colorFlat_ = color;
    Invalidate();
}

void TFlatComboBox::SetColorBorder(TColor color)
{
    colorBorder_ = color;
    Invalidate();
}

void TFlatComboBox::PaintWindow(TCanvas& canvas)
{
    canvas.Brush.Color = colorFlat_;
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.Pen.Color = colorBorder_;
    canvas.Rectangle(Rect(0, 0, Width(), Height()));
}

void TFlatComboBox::BoundsChanged(bool sizeChanged)
{
    fontHeight_.NoteBoundsChanged(*this);
    TComboBox::BoundsChanged(sizeChanged);
}

void TFlatComboBox::FontChanged()
{
    TComboBox::FontChanged();
    fontHeight_.Apply(*this);
}

} // namespace plat
