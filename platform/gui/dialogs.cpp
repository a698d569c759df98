#include "platform/gui/dialogs.h"

#include "platform/gui/component.h"
#include "platform/gui/font.h"
#include "platform/gui/internal/font_face.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/main_thread.h"

#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace plat {
namespace {

QMessageBox::Icon IconOf(uint32_t flags)
{
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

TFontStyles StyleOf(const QFont& font)
{
    TFontStyles style = 0;
    if (font.bold())
        style |= fsBold;
    if (font.italic())
        style |= fsItalic;
    if (font.underline())
        style |= fsUnderline;
    if (font.strikeOut())
        style |= fsStrikeOut;
    return style;
}

} // namespace

int MessageBox(const std::string& text, const std::string& caption, uint32_t flags)
{
    RequireMainThread("MessageBox", "MessageBox");
    DispatchScope scope;
    const bool yesNo = (flags & 0x0F) == MB_YESNO;
    if (Seams().messageBoxResponder)
        return Seams().messageBoxResponder(MessageBoxRecord{text, caption, flags});
    if (NobodyToAsk()) {
        LayerLog("[MessageBox] No user on the offscreen platform, answered " + std::string(yesNo ? "IDNO" : "IDOK") +
                 ": " + caption);
        return yesNo ? IDNO : IDOK;
    }
    QMessageBox box(IconOf(flags), ToQString(caption), ToQString(text));
    box.setTextFormat(Qt::PlainText);
    if (!yesNo) {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
        return IDOK;
    }
    QPushButton* yes = box.addButton(QStringLiteral("Ano"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Ne"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? IDYES : IDNO;
}

bool FontDialog::Execute(TFont& font)
{
    RequireMainThread("TFontDialog", "Execute");
    DispatchScope scope;
    if (Seams().fontDialogResponder)
        return Seams().fontDialogResponder(font);
    if (NobodyToAsk()) {
        LayerLog("[TFontDialog::Execute] No user on the offscreen platform, cancelled");
        return false;
    }
    // The dialog starts on the face the program draws the font with.
    QFont start = FaceFor(font).font;
    start.setPointSize(std::max(1, font.Size()));
    bool confirmed = false;
    const QFont chosen = QFontDialog::getFont(&confirmed, start);
    if (!confirmed)
        return false;
    TFont result;
    result.Assign(font);
    result.SetName(FromQString(chosen.family()));
    if (chosen.pointSize() > 0)
        result.SetSize(chosen.pointSize());
    result.SetStyle(StyleOf(chosen));
    // One change notification for the whole choice.
    font.Assign(result);
    return true;
}

} // namespace plat
