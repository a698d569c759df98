#include "platform/gui/memo.h"

#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace plat {
namespace {

// Keeps the text within the memo's MaxLength, typed or pasted.
class MemoEditor : public QPlainTextEdit {
public:
    explicit MemoEditor(const TMemo& owner) : memo(owner) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const QString text = event->text();
        const bool printable = !text.isEmpty() && (text.at(0).isPrint() || text.at(0) == QChar('\r'));
        if (printable && Room() < static_cast<int>(text.size()))
            return;
        QPlainTextEdit::keyPressEvent(event);
    }
    void insertFromMimeData(const QMimeData* source) override
    {
        QString text = source->text();
        if (memo.MaxLength() > 0)
            text.truncate(std::max(0, Room()));
        textCursor().insertText(text);
    }

private:
    int Room() const
    {
        if (memo.MaxLength() == 0)
            return INT32_MAX;
        const int used = document()->characterCount() - 1 - static_cast<int>(textCursor().selectedText().size());
        return memo.MaxLength() - used;
    }
    const TMemo& memo;
};

QPlainTextEdit& Editor(const TMemo& memo)
{
    return *static_cast<QPlainTextEdit*>(memo.Impl().editor);
}

QString FromCrLf(const std::string& text)
{
    QString converted = ToQString(text);
    converted.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return converted;
}

} // namespace

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner)
{
    auto* editor = new MemoEditor(*this);
    editor->setFrameShape(QFrame::NoFrame);
    editor->setContextMenuPolicy(Qt::NoContextMenu);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor->document()->setDocumentMargin(3);
    Impl().AttachEditor(this, editor, 0);
    SetTabStop(true);
    QObject::connect(editor, &QPlainTextEdit::textChanged, [this] { TextChanged(); });
    SetColor(clWhite);
    SetBounds(0, 0, 185, 89);
}

std::string TMemo::Text() const
{
    QString text = Editor(*this).toPlainText();
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return FromQString(text);
}

void TMemo::SetText(const std::string& text)
{
    RequireMainThread(ClassName(), "SetText");
    const QString converted = FromCrLf(text);
    if (converted == Editor(*this).toPlainText())
        return;
    Editor(*this).setPlainText(converted);
}

void TMemo::SetReadOnly(bool readOnly)
{
    TCustomEdit::SetReadOnly(readOnly);
    Editor(*this).setReadOnly(readOnly);
}

int TMemo::SelStart() const
{
    return Editor(*this).textCursor().selectionStart();
}

int TMemo::SelLength() const
{
    const QTextCursor cursor = Editor(*this).textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TMemo::SetSelStart(int start)
{
    QTextCursor cursor = Editor(*this).textCursor();
    cursor.setPosition(std::clamp(start, 0, Editor(*this).document()->characterCount() - 1));
    Editor(*this).setTextCursor(cursor);
}

void TMemo::SetSelLength(int length)
{
    QTextCursor cursor = Editor(*this).textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(std::clamp(start + length, 0, Editor(*this).document()->characterCount() - 1),
                       QTextCursor::KeepAnchor);
    Editor(*this).setTextCursor(cursor);
}

void TMemo::SetSelText(const std::string& text)
{
    Editor(*this).textCursor().insertText(FromCrLf(text));
}

void TMemo::Undo()
{
    Editor(*this).undo();
}

void TMemo::CopyToClipboard()
{
    Editor(*this).copy();
}

void TMemo::CutToClipboard()
{
    Editor(*this).cut();
}

void TMemo::PasteFromClipboard()
{
    Editor(*this).paste();
}

void TMemo::SelectAll()
{
    Editor(*this).selectAll();
}

} // namespace plat
