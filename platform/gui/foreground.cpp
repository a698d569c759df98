#include "platform/gui/foreground.h"

#include "platform/gui/component.h"
#include "platform/gui/form.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace plat {
namespace {

struct ForegroundWatch {
    ForegroundCallback callback;
    QMetaObject::Connection connection;
    // What the hook heard last: a form (which may since have gone) or
    // another window.
    bool other = false;
    TWeakRef<TForm> form;
};

ForegroundWatch watch;

TForm* FormOfWindow(const QWindow* window)
{
    if (window == nullptr)
        return nullptr;
    for (TForm* form : Application::FormsTopmostFirst())
        if (form->Impl().widget->windowHandle() == window)
            return form;
    return nullptr;
}

void FocusWindowChanged(QWindow* window)
{
    TForm* form = FormOfWindow(window);
    const bool other = form == nullptr;
    if (other == watch.other && (other || watch.form.Get() == form))
        return;
    watch.other = other;
    watch.form = form;
    if (auto callback = watch.callback) {
        DispatchScope scope;
        callback(form);
    }
}

} // namespace

void SetForegroundHook(ForegroundCallback callback)
{
    RequireMainThread("Foreground", "SetForegroundHook");
    RemoveForegroundHook();
    watch.callback = std::move(callback);
    watch.form = FormOfWindow(QGuiApplication::focusWindow());
    watch.other = !watch.form;
    watch.connection = QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, FocusWindowChanged);
}

void RemoveForegroundHook()
{
    RequireMainThread("Foreground", "RemoveForegroundHook");
    QObject::disconnect(watch.connection);
    watch = ForegroundWatch{};
}

TForm* GetForegroundForm()
{
    return FormOfWindow(QGuiApplication::focusWindow());
}

} // namespace plat
