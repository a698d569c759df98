#include "mainwindow/log_window.h"

#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "platform/gui/label.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"

#include <utility>

TfrmLogDLMR1* frmLogDLMR1 = nullptr;

namespace {

void AppendToLogWindow(const char* line)
{
    if (frmLogDLMR1 != nullptr && line != nullptr)
        frmLogDLMR1->Append(line);
}

} // namespace

void InstallLogWindowSink(TfrmLogDLMR1* window)
{
    TNLogWindowSink& sink = FoundationHooks.LogWindow;
    if (window == nullptr) {
        sink = TNLogWindowSink();
        return;
    }
    sink.Visible = &window->VisibleForWriter;
    sink.Busy = &window->Busy;
    sink.Append = &AppendToLogWindow;
}

TfrmLogDLMR1::TfrmLogDLMR1(plat::TComponent* owner) : plat::TForm(owner)
{
    SetCaption("Log");
    SetBorderStyle(plat::TFormBorderStyle::bsSizeToolWin);
    SetBorderIcons(plat::biSystemMenu);
    SetNoActivate(true);
    SetColor(plat::clWhite);
    labelLog_ = new plat::TLabel(this);
    labelLog_->SetParent(this);
    labelLog_->SetWordWrap(true);
    labelLog_->SetTransparent(false);
    labelLog_->SetColor(plat::clWhite);
    labelLog_->Font().SetName("MS Sans Serif");
    labelLog_->Font().SetSize(10);
    OnShow = [this](plat::TComponent*) { FormShow(); };
    OnHide = [this](plat::TComponent*) { VisibleForWriter = false; };
}

TfrmLogDLMR1::~TfrmLogDLMR1()
{
    VisibleForWriter = false;
}

plat::LRESULT TfrmLogDLMR1::Dispatch(plat::TMessageId message, plat::WPARAM wParam, plat::LPARAM lParam)
{
    // DontActivateThisWindow: the activation stays where it is.
    constexpr plat::TMessageId kNcActivate = 0x0086;
    if (message == kNcActivate)
        return 1;
    return plat::TForm::Dispatch(message, wParam, lParam);
}

void TfrmLogDLMR1::Append(const char* line)
{
    std::lock_guard<std::mutex> guard(pendingMutex_);
    pending_.emplace_back(line);
}

size_t TfrmLogDLMR1::PendingCount() const
{
    std::lock_guard<std::mutex> guard(pendingMutex_);
    return pending_.size();
}

void TfrmLogDLMR1::FormShow()
{
    Guarded("[TfrmLogDLMR1::FormShow]", [&] {
        if (Tag() == 0)
            LayOutFirstShowing();
        VisibleForWriter = true;
    });
}

void TfrmLogDLMR1::LayOutFirstShowing()
{
    SetTag(1);
    const plat::TRect area = plat::Screen::WorkArea();
    SetBounds(10, area.Top + 10, (area.Width() / 5) * 2 - 10, area.Height() - 20);
    if (OnFirstShown)
        OnFirstShown();
    Busy = 0;
    shownLines_.clear();
    labelLog_->SetCaption("");
    labelLog_->SetBounds(0, 0, ClientWidth() - 20, labelLog_->Height());
    logTimer_ = new plat::TTimer(this);
    logTimer_->SetInterval(kLogTimerMs);
    logTimer_->OnTimer = [this](plat::TComponent*) { timerLogTimer(); };
    logTimer_->SetEnabled(true);
}

void TfrmLogDLMR1::timerLogTimer()
{
    // The busy byte is held only while the list is swapped out, so a writer
    // (on this thread too) never waits for the label's work.
    uint8_t idle = 0;
    if (!Busy.compare_exchange_strong(idle, 1))
        return;
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> guard(pendingMutex_);
        lines.swap(pending_);
    }
    Busy = 0;
    if (lines.empty())
        return;
    Guarded("[TfrmLogDLMR1::timerLogTimer]", [&] {
        for (std::string& line : lines) {
            if (!line.empty())
                shownLines_.push_back(std::move(line));
        }
        while (shownLines_.size() > kShownLineLimit)
            shownLines_.pop_front();
        std::string text;
        size_t size = 0;
        for (const std::string& line : shownLines_)
            size += line.size() + 2;
        text.reserve(size);
        for (const std::string& line : shownLines_) {
            text += line;
            text += "\r\n";
        }
        labelLog_->SetCaption(text);
        SetVertScrollPosition(labelLog_->Height());
    });
}
