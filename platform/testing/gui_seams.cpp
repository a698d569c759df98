#include "platform/testing/gui_seams.h"

#include "platform/gui/font.h"
#include "platform/gui/internal/timer_scheduler.h"

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
