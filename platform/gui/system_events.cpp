#include "platform/gui/system_events.h"

#include "platform/core/clock.h"
#include "platform/core/resume_detector.h"
#include "platform/gui/form.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/timer.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace plat {

namespace {

// How often a modal form asked to close is looked at again.
constexpr int kModalCheckMilliseconds = 10;
// A round still going after this long is stuck (a form that never returns
// its loop): the next signal ends the run without it.
constexpr int64_t kPatienceMilliseconds = 10000;

struct Installed {
    GuiMainLoop* loop = nullptr;
    std::unique_ptr<ResumeDetector> resume;
    TTimer* resumePoll = nullptr;
    QMetaObject::Connection commitConnection;
};

struct Round {
    bool active = false;
    // Tells a check left over from an ended round from one of this round.
    uint64_t number = 0;
    int64_t startedMs = 0;
    std::vector<TWeakRef<TForm>> asked;
    TWeakRef<TForm> closingModal;
};

Installed installed;
Round round;

bool WasAsked(TForm* form)
{
    return std::any_of(round.asked.begin(), round.asked.end(),
                       [form](const TWeakRef<TForm>& asked) { return asked.Get() == form; });
}

uint64_t roundsBegun = 0;

void EndRound()
{
    round = Round{};
}

void Refused(const std::string& className)
{
    EndRound();
    LayerLog("[SessionEnd] " + className + " refused to close; the session end stops");
}

// A popup menu or a message box over a modal form runs a nested loop of its
// own: the form's loop cannot return beneath it, and the round would wait for
// ever. They go first, as their own escape would close them.
void CloseNestedLoopsOverForms()
{
    constexpr int kMostNestedPopups = 16;
    for (int i = 0; i < kMostNestedPopups && QApplication::activePopupWidget() != nullptr; ++i)
        QApplication::activePopupWidget()->close();
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog != nullptr && dialog->isVisible())
            dialog->reject();
}

void AskNext();

void CheckClosingModal(uint64_t roundNumber);

void CheckClosingModalLater()
{
    QTimer::singleShot(kModalCheckMilliseconds, [number = round.number] { CheckClosingModal(number); });
}

void CheckClosingModal(uint64_t roundNumber)
{
    if (!round.active || round.number != roundNumber)
        return;
    DispatchScope scope;
    TForm* form = round.closingModal.Get();
    if (form != nullptr && form->Modal()) {
        // Still inside its loop: the close query refused, or it has not run yet.
        if (form->ModalResult() == mrNone)
            Refused(form->ClassName());
        else
            CheckClosingModalLater();
        return;
    }
    round.closingModal = nullptr;
    AskNext();
}

void AskNext()
{
    CloseNestedLoopsOverForms();
    for (TForm* form : Application::FormsTopmostFirst()) {
        if (WasAsked(form))
            continue;
        round.asked.emplace_back(form);
        if (form->Modal()) {
            round.closingModal = form;
            form->Perform(WM_CLOSE, 0, 0);
            CheckClosingModalLater();
            return;
        }
        const std::string className = form->ClassName();
        if (form->Perform(WM_QUERYENDSESSION, 0, 0) == 0) {
            Refused(className);
            return;
        }
        // Its answer may have freed other forms or ended a loop: list again.
        AskNext();
        return;
    }
    EndRound();
    if (installed.loop != nullptr)
        installed.loop->Exit(0);
}

void BeginRound(const std::string& cause)
{
    if (round.active) {
        if (MonotonicMilliseconds() - round.startedMs < kPatienceMilliseconds) {
            LayerLog("[SessionEnd] " + cause + " ignored: the windows are already being asked");
            return;
        }
        EndRound();
        LayerLog("[SessionEnd] " + cause + ": the windows have not answered for 10 s; the run ends");
        if (installed.loop != nullptr)
            installed.loop->Exit(0);
        return;
    }
    round.active = true;
    round.number = ++roundsBegun;
    round.startedMs = MonotonicMilliseconds();
    DispatchScope scope;
    AskNext();
}

void PollResume()
{
    if (!installed.resume || !installed.resume->Poll())
        return;
    Application::Broadcast(WM_POWERBROADCAST, SystemEvents::kResumeAutomatic, 0);
}

} // namespace

void SystemEvents::Install(GuiMainLoop& loop)
{
    Uninstall();
    installed.loop = &loop;
    loop.OnSessionEnd = [](int signal) { BeginRound("Signal " + std::to_string(signal)); };
    installed.commitConnection =
        QObject::connect(qApp, &QGuiApplication::commitDataRequest, [](QSessionManager&) { CommitRequest(); });
    installed.resume = std::make_unique<ResumeDetector>();
    installed.resumePoll = new TTimer(nullptr);
    installed.resumePoll->SetInterval(static_cast<uint32_t>(ResumeDetector::kPollIntervalMilliseconds));
    installed.resumePoll->OnTimer = [](TComponent*) { PollResume(); };
}

void SystemEvents::Uninstall()
{
    if (installed.loop != nullptr)
        installed.loop->OnSessionEnd = nullptr;
    QObject::disconnect(installed.commitConnection);
    if (installed.resumePoll != nullptr)
        installed.resumePoll->Free();
    installed = Installed{};
    EndRound();
}

void SystemEvents::CommitRequest()
{
    BeginRound("Commit request");
}

bool SystemEvents::SessionEndInProgress()
{
    return round.active;
}

} // namespace plat
