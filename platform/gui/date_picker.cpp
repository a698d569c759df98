#include "platform/gui/date_picker.h"

#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"

#include <QDateEdit>
#include <QLocale>

namespace plat {
namespace {

QDateEdit& Editor(const TDateTimePicker& picker)
{
    return *static_cast<QDateEdit*>(picker.Impl().editor);
}

} // namespace

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner)
{
    auto* editor = new QDateEdit;
    // Czech names whatever the system locale: day names "po" ... "ne",
    // months in the genitive ("ledna").
    editor->setLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    editor->setDisplayFormat(QStringLiteral(" ddd dd. MMMM yyyy"));
    editor->setCalendarPopup(true);
    editor->setMinimumDate(QDate(1900, 1, 1));
    editor->setContextMenuPolicy(Qt::NoContextMenu);
    editor->setDate(QDate::currentDate());
    Impl().AttachEditor(this, editor, 0);
    SetTabStop(true);
    QObject::connect(editor, &QDateEdit::dateChanged, [this](QDate) {
        if (byCode_ || !Alive())
            return;
        DispatchScope scope;
        if (auto slot = OnChange)
            slot(this);
    });
    SetBounds(0, 0, 186, 21);
}

void TDateTimePicker::Date(int& year, int& month, int& day) const
{
    const QDate date = Editor(*this).date();
    year = date.year();
    month = date.month();
    day = date.day();
}

void TDateTimePicker::SetDate(int year, int month, int day)
{
    RequireMainThread(ClassName(), "SetDate");
    const QDate date(year, month, day);
    if (!date.isValid())
        return;
    byCode_ = true;
    Editor(*this).setDate(date);
    byCode_ = false;
}

std::string TDateTimePicker::ShownText() const
{
    return FromQString(Editor(*this).text());
}

void TDateTimePicker::Detach()
{
    OnChange = nullptr;
    TWinControl::Detach();
}

} // namespace plat
