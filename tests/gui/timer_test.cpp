#include "platform/gui/dialogs.h"
#include "platform/gui/form.h"
#include "platform/gui/menu.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_seams.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace plat {
namespace {

class Timers : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        form.reset(new TForm);
    }

    // A timer that counts its ticks and is stopped until the case arms it.
    TTimer* Counting(uint32_t interval, int& ticks)
    {
        auto* timer = new TTimer(form.get());
        timer->SetEnabled(false);
        timer->SetInterval(interval);
        timer->OnTimer = [&ticks](TComponent*) { ++ticks; };
        return timer;
    }

    TOwned<TForm> form;
};

TEST_F(Timers, ManualClockFollowsEveryRule)
{
    struct Step {
        enum Kind { Advance, Enable, Disable, SetInterval } kind;
        int64_t value;
        int ticksAfter;
    };
    struct Case {
        const char* name;
        uint32_t interval;
        bool withHandler;
        std::vector<Step> steps;
    };
    using S = Step;
    const Case cases[] = {
        {"interval 0 never fires", 0, true, {{S::Enable, 0, 0}, {S::Advance, 5000, 0}}},
        {"no OnTimer never fires", 100, false, {{S::Enable, 0, 0}, {S::Advance, 5000, 0}}},
        {"fires after its interval", 100, true, {{S::Enable, 0, 0}, {S::Advance, 99, 0}, {S::Advance, 1, 1}}},
        {"enabling an enabled timer keeps the countdown",
         100,
         true,
         {{S::Enable, 0, 0}, {S::Advance, 60, 0}, {S::Enable, 0, 0}, {S::Advance, 40, 1}}},
        {"false to true restarts the countdown",
         100,
         true,
         {{S::Enable, 0, 0},
          {S::Advance, 60, 0},
          {S::Disable, 0, 0},
          {S::Enable, 0, 0},
          {S::Advance, 40, 0},
          {S::Advance, 60, 1}}},
        {"the same interval keeps the countdown",
         100,
         true,
         {{S::Enable, 0, 0}, {S::Advance, 60, 0}, {S::SetInterval, 100, 0}, {S::Advance, 40, 1}}},
        {"a new interval restarts the countdown",
         100,
         true,
         {{S::Enable, 0, 0}, {S::Advance, 60, 0}, {S::SetInterval, 200, 0}, {S::Advance, 199, 0}, {S::Advance, 1, 1}}},
        {"a late timer fires once", 10, true, {{S::Enable, 0, 0}, {S::Advance, 1000, 1}, {S::Advance, 9, 1}}},
        {"1 ms runs on the next turn, then at most every 10 ms",
         1,
         true,
         {{S::Enable, 0, 0}, {S::Advance, 0, 1}, {S::Advance, 0, 1}, {S::Advance, 9, 1}, {S::Advance, 1, 2}}},
        {"5 ms is the next turn too", 5, true, {{S::Enable, 0, 0}, {S::Advance, 0, 1}}},
        {"7 ms waits its interval, then repeats every 10 ms",
         7,
         true,
         {{S::Enable, 0, 0}, {S::Advance, 6, 0}, {S::Advance, 1, 1}, {S::Advance, 7, 1}, {S::Advance, 3, 2}}},
        {"a disabled timer stays quiet", 10, true, {{S::Enable, 0, 0}, {S::Disable, 0, 0}, {S::Advance, 100, 0}}},
    };
    testing::ManualTimers clock;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int ticks = 0;
        TTimer* timer = Counting(c.interval, ticks);
        if (!c.withHandler)
            timer->OnTimer = nullptr;
        for (const Step& step : c.steps) {
            switch (step.kind) {
            case S::Advance:
                clock.Advance(step.value);
                break;
            case S::Enable:
                timer->SetEnabled(true);
                break;
            case S::Disable:
                timer->SetEnabled(false);
                break;
            case S::SetInterval:
                timer->SetInterval(static_cast<uint32_t>(step.value));
                break;
            }
            EXPECT_EQ(ticks, step.ticksAfter);
        }
        timer->Free();
    }
}

TEST_F(Timers, DefaultsAndDueTimersFireInArmingOrder)
{
    testing::ManualTimers clock;
    TOwned<TTimer> fresh(new TTimer(nullptr));
    EXPECT_EQ(fresh->Interval(), 1000u);
    EXPECT_TRUE(fresh->Enabled());

    std::string order;
    auto make = [&](char name) {
        auto* timer = new TTimer(form.get());
        timer->SetEnabled(false);
        timer->SetInterval(50);
        timer->OnTimer = [&order, name](TComponent*) { order.push_back(name); };
        return timer;
    };
    TTimer* a = make('a');
    TTimer* b = make('b');
    TTimer* c = make('c');
    c->SetEnabled(true);
    a->SetEnabled(true);
    b->SetEnabled(true);
    clock.Advance(50);
    EXPECT_EQ(order, "cab");
}

TEST_F(Timers, AHandlerMayFreeItsOwnTimerAndOthers)
{
    testing::ManualTimers clock;
    int ticks = 0;
    TTimer* self = Counting(10, ticks);
    TTimer* later = Counting(10, ticks);
    self->OnTimer = [&](TComponent* sender) {
        ++ticks;
        static_cast<TTimer*>(sender)->Free();
        later->Free();
    };
    const int armedBefore = clock.ArmedCount();
    self->SetEnabled(true);
    later->SetEnabled(true);
    clock.Advance(10);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(clock.ArmedCount(), armedBefore);
    clock.Advance(100);
    EXPECT_EQ(ticks, 1);
}

TEST_F(Timers, TicksGoOnInsideModalFormsMenusAndMessageBoxes)
{
    int ticks = 0;
    TTimer* timer = Counting(50, ticks);
    timer->SetEnabled(true);
    auto waitForTicks = [&] {
        const int before = ticks;
        EXPECT_TRUE(testing::RunUntil([&] { return ticks >= before + 2; }));
    };

    TOwned<TForm> dialog(new TForm);
    {
        testing::ScopedModalScript script([&](TForm& shown) {
            waitForTicks();
            shown.SetModalResult(mrOk);
        });
        EXPECT_EQ(dialog->ShowModal(), mrOk);
    }
    {
        testing::MenuRecorder menus;
        menus.during = waitForTicks;
        TOwned<TPopupMenu> menu(new TPopupMenu(nullptr));
        menu->Popup(10, 10);
        EXPECT_EQ(menus.popups.size(), 1u);
    }
    {
        testing::MessageBoxResponder boxes;
        boxes.during = waitForTicks;
        EXPECT_EQ(MessageBox("text", "caption", MB_OK), IDOK);
    }
}

TEST_F(Timers, WorkersArmTimersWithoutLosingAChange)
{
    constexpr int kWorkers = 8;
    constexpr int kArmings = 10000;
    struct Seen {
        int64_t lastTag = 0;
        int ticks = 0;
        bool wentBack = false;
    };
    std::vector<Seen> seen(kWorkers);
    std::vector<TTimer*> timers;
    for (int i = 0; i < kWorkers; ++i) {
        auto* timer = new TTimer(form.get());
        timer->SetEnabled(false);
        timer->OnTimer = [&seen, i](TComponent* sender) {
            auto* self = static_cast<TTimer*>(sender);
            const int64_t tag = self->Tag();
            // The tick belongs to an arming: its Tag was set before.
            if (tag < seen[i].lastTag || tag == 0)
                seen[i].wentBack = true;
            seen[i].lastTag = tag;
            ++seen[i].ticks;
            self->SetEnabled(false);
        };
        timers.push_back(timer);
    }
    std::vector<std::thread> workers;
    for (int i = 0; i < kWorkers; ++i)
        workers.emplace_back([timer = timers[i]] {
            for (int k = 1; k <= kArmings; ++k) {
                timer->SetTag(k);
                timer->SetInterval(1 + static_cast<uint32_t>(k % 3));
                timer->SetEnabled(true);
            }
        });
    // The main loop keeps ticking while the workers arm.
    std::atomic<bool> done{false};
    std::thread joiner([&] {
        for (std::thread& worker : workers)
            worker.join();
        done = true;
    });
    EXPECT_TRUE(testing::RunUntil([&] { return done.load(); }, 60000));
    joiner.join();
    EXPECT_TRUE(testing::RunUntil([&] {
        for (const Seen& s : seen)
            if (s.lastTag != kArmings)
                return false;
        return true;
    }));
    for (int i = 0; i < kWorkers; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(seen[i].wentBack);
        EXPECT_GT(seen[i].ticks, 0);
        EXPECT_EQ(timers[i]->Interval(), 1 + static_cast<uint32_t>(kArmings % 3));
        EXPECT_EQ(timers[i]->Tag(), kArmings);
    }
}

} // namespace
} // namespace plat
