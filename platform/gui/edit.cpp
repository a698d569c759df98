#include "platform/gui/edit.h"

#include "platform/gui/canvas.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"

#include <QLineEdit>

namespace plat {
namespace {

QLineEdit& LineEdit(const TEdit& edit)
{
    return *static_cast<QLineEdit*>(edit.Impl().editor);
}

// Qt's own limit stands for "no limit".
constexpr int kQtMaxLength = 32767;

} // namespace

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner)
{
    auto* editor = new QLineEdit;
    editor->setFrame(false);
    editor->setContextMenuPolicy(Qt::NoContextMenu);
    Impl().AttachEditor(this, editor, 2);
    SetTabStop(true);
    QObject::connect(editor, &QLineEdit::textChanged, [this] { TextChanged(); });
    SetColor(clWhite);
    SetWidth(121);
    fontHeight_.Apply(*this);
}

void TEdit::BoundsChanged(bool sizeChanged)
{
    fontHeight_.NoteBoundsChanged(*this);
    TCustomEdit::BoundsChanged(sizeChanged);
}

void TEdit::FontChanged()
{
    TCustomEdit::FontChanged();
    fontHeight_.Apply(*this);
}

std::string TEdit::Text() const
{
    return FromQString(LineEdit(*this).text());
}

void TEdit::SetText(const std::string& text)
{
    RequireMainThread(ClassName(), "SetText");
    LineEdit(*this).setText(ToQString(text));
}

void TEdit::SetMaxLength(int length)
{
    TCustomEdit::SetMaxLength(length);
    LineEdit(*this).setMaxLength(MaxLength() == 0 ? kQtMaxLength : MaxLength());
}

void TEdit::SetReadOnly(bool readOnly)
{
    TCustomEdit::SetReadOnly(readOnly);
    LineEdit(*this).setReadOnly(readOnly);
}

void TEdit::SetPasswordChar(char passwordChar)
{
    passwordChar_ = passwordChar;
    LineEdit(*this).setEchoMode(passwordChar == 0 ? QLineEdit::Normal : QLineEdit::Password);
}

int TEdit::SelStart() const
{
    const QLineEdit& edit = LineEdit(*this);
    return edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
}

int TEdit::SelLength() const
{
    return static_cast<int>(LineEdit(*this).selectedText().size());
}

void TEdit::SetSelStart(int start)
{
    LineEdit(*this).setCursorPosition(start);
}

void TEdit::SetSelLength(int length)
{
    QLineEdit& edit = LineEdit(*this);
    edit.setSelection(SelStart(), length);
}

void TEdit::SetSelText(const std::string& text)
{
    LineEdit(*this).insert(ToQString(text));
}

void TEdit::Undo()
{
    LineEdit(*this).undo();
}

void TEdit::CopyToClipboard()
{
    LineEdit(*this).copy();
}

void TEdit::CutToClipboard()
{
    LineEdit(*this).cut();
}

void TEdit::PasteFromClipboard()
{
    LineEdit(*this).paste();
}

void TEdit::SelectAll()
{
    LineEdit(*this).selectAll();
}

void TEdit::SetFlat(bool flat)
{
    flat_ = flat;
    Invalidate();
}

void TEdit::SetBorderColor(TColor color)
{
    borderColor_ = color;
    Invalidate();
}

void TEdit::SetFocusedColor(TColor color)
{
    focusedColor_ = color;
    Invalidate();
}

void TEdit::PaintWindow(TCanvas& canvas)
{
    TCustomEdit::PaintWindow(canvas);
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.Pen.Color = borderColor_;
    canvas.Rectangle(Rect(0, 0, Width(), Height()));
}

TColor TEdit::FillColor() const
{
    return flat_ && Focused() ? focusedColor_ : Color();
}

} // namespace plat
