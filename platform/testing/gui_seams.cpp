#include "platform/testing/gui_seams.h"

#include "platform/gui/font.h"
#include "platform/gui/internal/timer_scheduler.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
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

struct RealDialogDriver::Impl {
    QTimer poll;
    QElapsedTimer sinceStart;
    QElapsedTimer sinceOpened;
    QPointer<QDialog> seen;
};

namespace {

RealDialogDriver::Shown Describe(QDialog& dialog)
{
    RealDialogDriver::Shown shown;
    shown.title = dialog.windowTitle().toStdString();
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        shown.text = box->text().toStdString();
        shown.plainText = box->textFormat() == Qt::PlainText;
        for (QAbstractButton* button : box->buttons())
            shown.buttons.push_back(button->text().toStdString());
    } else if (auto* fonts = qobject_cast<QFontDialog*>(&dialog)) {
        shown.fontFamily = fonts->currentFont().family().toStdString();
        shown.fontPointSize = fonts->currentFont().pointSize();
    }
    return shown;
}

} // namespace

RealDialogDriver::RealDialogDriver() : impl_(std::make_unique<Impl>())
{
    Seams().realDialogsOffscreen = true;
    impl_->sinceStart.start();
    impl_->poll.setInterval(5);
    QObject::connect(&impl_->poll, &QTimer::timeout, [this] {
        constexpr qint64 kGiveUpMs = 5000;
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (impl_->sinceStart.elapsed() > kGiveUpMs)
                impl_->poll.stop();
            return;
        }
        if (dialog != impl_->seen) {
            impl_->seen = dialog;
            impl_->sinceOpened.start();
            shown.push_back(Describe(*dialog));
        }
        const qint64 open = impl_->sinceOpened.elapsed();
        if (open > kGiveUpMs) {
            timedOut = true;
            dialog->reject();
        } else if (open >= holdMs) {
            Answer(*dialog);
        }
    });
    impl_->poll.start();
}

void RealDialogDriver::Answer(QDialog& dialog)
{
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        for (QAbstractButton* button : box->buttons())
            if (!press.empty() && button->text().toStdString() == press) {
                button->click();
                return;
            }
        QTest::keyClick(box, Qt::Key_Escape);
    } else if (auto* fonts = qobject_cast<QFontDialog*>(&dialog); fonts != nullptr && accept) {
        QFont font(QString::fromStdString(family));
        font.setPointSize(pointSize);
        fonts->setCurrentFont(font);
        fonts->accept();
    } else {
        dialog.reject();
    }
}

RealDialogDriver::~RealDialogDriver()
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
