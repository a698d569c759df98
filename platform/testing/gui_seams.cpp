#include "platform/testing/gui_seams.h"

#include "platform/gui/font.h"
#include "platform/gui/internal/timer_scheduler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDialog>
#include <QTimer>

namespace plat::testing {

ScopedModalScript::ScopedModalScript(std::function<void(TForm& form)> script)
{
    Seams().modalScript = std::move(script);
}

ScopedModalScript::~ScopedModalScript()
{
    Seams().modalScript = nullptr;
}

MenuRecorder::MenuRecorder()
{
    Seams().popupScript = [this](const PopupRecord& popup) {
        popups.push_back(popup);
        if (during)
            during();
        return choose;
    };
}

MenuRecorder::~MenuRecorder()
{
    Seams().popupScript = nullptr;
}

MessageBoxResponder::MessageBoxResponder()
{
    Seams().messageBoxResponder = [this](const MessageBoxRecord& box) {
        boxes.push_back(box);
        if (during)
            during();
        if (answers.empty())
            return otherwise;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    };
}

MessageBoxResponder::~MessageBoxResponder()
{
    Seams().messageBoxResponder = nullptr;
}

FontDialogResponder::FontDialogResponder()
{
    Seams().fontDialogResponder = [this](TFont& font) {
        ++calls;
        if (!confirm)
            return false;
        font.SetName(name);
        font.SetSize(size);
        return true;
    };
}

FontDialogResponder::~FontDialogResponder()
{
    Seams().fontDialogResponder = nullptr;
}

struct RealFontDialogDriver::Impl {
    QTimer poll;
    QElapsedTimer sinceStart;
    QElapsedTimer sinceOpened;
    QFontDialog* seen = nullptr;
};

RealFontDialogDriver::RealFontDialogDriver() : impl_(std::make_unique<Impl>())
{
    Seams().realDialogsOffscreen = true;
    impl_->sinceStart.start();
    impl_->poll.setInterval(5);
    QObject::connect(&impl_->poll, &QTimer::timeout, [this] {
        constexpr qint64 kGiveUpMs = 5000;
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (impl_->sinceStart.elapsed() > kGiveUpMs)
                impl_->poll.stop();
            return;
        }
        if (dialog != impl_->seen) {
            impl_->seen = dialog;
            impl_->sinceOpened.start();
            ++opened;
            title = dialog->windowTitle().toStdString();
            startFamily = dialog->currentFont().family().toStdString();
            startPointSize = dialog->currentFont().pointSize();
        }
        const qint64 open = impl_->sinceOpened.elapsed();
        if (open > kGiveUpMs) {
            timedOut = true;
            dialog->reject();
        } else if (open >= holdMs && accept) {
            QFont font(QString::fromStdString(family));
            font.setPointSize(pointSize);
            dialog->setCurrentFont(font);
            dialog->accept();
        } else if (open >= holdMs) {
            dialog->reject();
        }
    });
    impl_->poll.start();
}

RealFontDialogDriver::~RealFontDialogDriver()
{
    Seams().realDialogsOffscreen = false;
}

ManualTimers::ManualTimers()
{
    TimerScheduler::Instance().UseManualClock(true);
}

ManualTimers::~ManualTimers()
{
    TimerScheduler::Instance().UseManualClock(false);
}

void ManualTimers::Advance(int64_t ms)
{
    TimerScheduler::Instance().AdvanceManualClock(ms);
}

int ManualTimers::ArmedCount() const
{
    return TimerScheduler::Instance().ArmedCount();
}

} // namespace plat::testing
