#include "platform/gui/edit.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/mouse.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace plat {
namespace {

using testing::MouseClick;
using testing::MouseDoubleClick;
using testing::MouseMove;
using testing::MousePress;
using testing::MouseRelease;

const char* ButtonName(TMouseButton button)
{
    return button == TMouseButton::mbLeft ? "L" : button == TMouseButton::mbRight ? "R" : "M";
}

// A form with one panel and overlapping labels; every event is recorded as
// "<name>.<event>".
class MouseDispatch : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        form.reset(new TForm);
        form->SetBounds(0, 0, 300, 200);
        panel = new TPanel(form.get());
        panel->SetBevelOuter(TBevelCut::bvNone);
        panel->SetBounds(0, 0, 300, 200);
        panel->SetParent(form.get());
        Record(panel, "P");
        a = AddLabel("A", 10, 10, clRed);
        b = AddLabel("B", 30, 10, clBlue);
        d = AddLabel("D", 100, 10, clLime);
        AddLabel("C", 100, 10, clBlue)->Hide();
        f = AddLabel("F", 160, 10, clLime);
        AddLabel("E", 160, 10, clBlue)->SetEnabled(false);
        AddLabel("G", 220, 10, clLime);
        TLabel* overlay = AddLabel("T", 220, 10, clBlue);
        overlay->SetTransparent(true);
        form->Show();
        testing::Flush();
        events.clear();
    }

    void TearDown() override
    {
        form.reset();
        OffscreenGuiTest::TearDown();
    }

    TLabel* AddLabel(const std::string& name, int left, int top, TColor color)
    {
        auto* label = new TLabel(form.get());
        label->SetAutoSize(false);
        label->SetBounds(left, top, 50, 20);
        label->SetColor(color);
        label->SetParent(panel);
        Record(label, name);
        return label;
    }

    void Record(TControl* control, const std::string& name)
    {
        control->OnMouseDown = [this, name](TComponent*, TMouseButton button, TShiftState shift, int x, int y) {
            events.push_back(name + ".down " + ButtonName(button) + (shift & ssDouble ? " double " : " ") +
                             std::to_string(x) + "," + std::to_string(y));
        };
        control->OnMouseUp = [this, name](TComponent*, TMouseButton button, TShiftState, int x, int y) {
            events.push_back(name + ".up " + ButtonName(button) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        control->OnMouseMove = [this, name](TComponent*, TShiftState, int x, int y) {
            events.push_back(name + ".move " + std::to_string(x) + "," + std::to_string(y));
        };
        control->OnClick = [this, name](TComponent*) { events.push_back(name + ".click"); };
        control->OnDblClick = [this, name](TComponent*) { events.push_back(name + ".dblclick"); };
        control->OnMouseEnter = [this, name](TComponent*) { events.push_back(name + ".enter"); };
        control->OnMouseLeave = [this, name](TComponent*) { events.push_back(name + ".leave"); };
    }

    // The recorded events without hover and moves.
    std::vector<std::string> Buttons() const
    {
        std::vector<std::string> result;
        for (const std::string& event : events)
            if (event.find(".move") == std::string::npos && event.find(".enter") == std::string::npos &&
                event.find(".leave") == std::string::npos)
                result.push_back(event);
        return result;
    }

    TOwned<TForm> form;
    TPanel* panel = nullptr;
    TLabel* a = nullptr;
    TLabel* b = nullptr;
    TLabel* d = nullptr;
    TLabel* f = nullptr;
    std::vector<std::string> events;
};

TEST_F(MouseDispatch, ButtonsGiveTheirEventOrderAndClientCoordinates)
{
    struct Case {
        const char* name;
        std::function<void(TPanel&)> act;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"click", [](TPanel& p) { MouseClick(p, 15, 15); }, {"A.down L 5,5", "A.click", "A.up L 5,5"}},
        {"double click",
         [](TPanel& p) { MouseDoubleClick(p, 15, 16); },
         {"A.down L 5,6", "A.click", "A.up L 5,6", "A.dblclick", "A.down L double 5,6", "A.up L 5,6"}},
        {"right click",
         [](TPanel& p) { MouseClick(p, 15, 15, TMouseButton::mbRight); },
         {"A.down R 5,5", "A.up R 5,5"}},
        {"release outside",
         [](TPanel& p) {
             MousePress(p, 15, 15);
             MouseRelease(p, 150, 150);
         },
         {"A.down L 5,5", "A.up L 140,140"}},
        {"hidden label over another",
         [](TPanel& p) { MouseClick(p, 110, 15); },
         {"D.down L 10,5", "D.click", "D.up L 10,5"}},
        {"disabled label over another",
         [](TPanel& p) { MouseClick(p, 170, 15); },
         {"F.down L 10,5", "F.click", "F.up L 10,5"}},
        {"transparent overlay", [](TPanel& p) { MouseClick(p, 230, 15); }, {"T.down L 10,5", "T.click", "T.up L 10,5"}},
        {"overlap goes to the top one",
         [](TPanel& p) { MouseClick(p, 40, 15); },
         {"B.down L 10,5", "B.click", "B.up L 10,5"}},
        {"the panel itself",
         [](TPanel& p) { MouseClick(p, 150, 150); },
         {"P.down L 150,150", "P.click", "P.up L 150,150"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MouseMove(*panel, 299, 199);
        events.clear();
        c.act(*panel);
        EXPECT_EQ(Buttons(), c.expected);
    }
}

TEST_F(MouseDispatch, PressedControlKeepsTheMouseWhenMovedOutside)
{
    MouseMove(*panel, 15, 15);
    events.clear();
    MousePress(*panel, 15, 15);
    MouseMove(*panel, 250, 150);
    MouseRelease(*panel, 250, 150);
    // Hover moves on only after the release.
    const std::vector<std::string> expected{"A.down L 5,5", "A.move 240,140", "A.up L 240,140", "A.leave", "P.enter"};
    EXPECT_EQ(events, expected);
}

TEST_F(MouseDispatch, OneControlUnderTheMouseLeavesBeforeTheNextEnters)
{
    MouseMove(*panel, 150, 150);
    events.clear();
    MouseMove(*panel, 15, 15);
    MouseMove(*panel, 40, 15);
    MouseMove(*panel, 40, 150);
    MouseMove(*panel, 15, 15);
    const std::vector<std::string> expected{"P.leave", "A.enter", "A.move 5,5",    "A.leave", "B.enter", "B.move 10,5",
                                            "B.leave", "P.enter", "P.move 40,150", "P.leave", "A.enter", "A.move 5,5"};
    EXPECT_EQ(events, expected);
}

TEST_F(MouseDispatch, BringToFrontChangesWhatShowsAndWhatIsClicked)
{
    EXPECT_EQ(testing::Probe(*panel, 40, 15), clBlue);
    MouseClick(*panel, 40, 15);
    a->BringToFront();
    testing::Flush();
    EXPECT_EQ(testing::Probe(*panel, 40, 15), clRed);
    MouseClick(*panel, 40, 15);
    const std::vector<std::string> expected{"B.down L 10,5", "B.click", "B.up L 10,5",
                                            "A.down L 30,5", "A.click", "A.up L 30,5"};
    EXPECT_EQ(Buttons(), expected);
}

TEST_F(MouseDispatch, PanelIsDrawnAboveItsGraphicSiblings)
{
    auto* child = new TPanel(form.get());
    child->SetBevelOuter(TBevelCut::bvNone);
    child->SetColor(clYellow);
    child->SetBounds(20, 100, 40, 40);
    child->SetParent(panel);
    auto* later = AddLabel("L", 10, 90, clRed);
    later->BringToFront();
    testing::Flush();
    EXPECT_EQ(testing::Probe(*panel, 30, 110), clYellow);
    EXPECT_EQ(testing::Probe(*panel, 12, 92), clRed);
}

TEST_F(MouseDispatch, LabelFreedInItsOwnClickGetsNoMoreEvents)
{
    TWeakRef<TLabel> ref(a);
    a->OnClick = [](TComponent* sender) { static_cast<TControl*>(sender)->Free(); };
    MouseClick(*panel, 15, 15);
    EXPECT_FALSE(ref);
    EXPECT_EQ(Buttons(), (std::vector<std::string>{"A.down L 5,5"}));
    events.clear();
    MouseClick(*panel, 15, 15);
    EXPECT_EQ(Buttons(), (std::vector<std::string>{"P.down L 15,15", "P.click", "P.up L 15,15"}));
}

TEST_F(MouseDispatch, PanelFreedFromAChildsMouseDownEndsTheDispatch)
{
    auto* inner = new TPanel(form.get());
    inner->SetBounds(0, 100, 100, 100);
    inner->SetParent(panel);
    auto* child = new TLabel(form.get());
    child->SetAutoSize(false);
    child->SetBounds(5, 5, 20, 20);
    child->SetParent(inner);
    Record(child, "K");
    TWeakRef<TPanel> innerRef(inner);
    TWeakRef<TLabel> childRef(child);
    child->OnMouseDown = [inner](TComponent*, TMouseButton, TShiftState, int, int) { inner->Free(); };
    events.clear();
    MouseClick(*panel, 10, 110);
    EXPECT_FALSE(innerRef);
    EXPECT_FALSE(childRef);
    EXPECT_TRUE(Buttons().empty());
    testing::Flush();
    MouseClick(*panel, 10, 110);
    EXPECT_EQ(Buttons(), (std::vector<std::string>{"P.down L 10,110", "P.click", "P.up L 10,110"}));
}

TEST_F(MouseDispatch, WindowedTreeFreedFromADeepChildsEventLeavesThePanelBeneath)
{
    const int panelControls = panel->ControlCount();
    auto* inner = new TPanel(form.get());
    inner->SetBevelOuter(TBevelCut::bvNone);
    inner->SetColor(clYellow);
    inner->SetBounds(0, 100, 200, 100);
    inner->SetParent(panel);
    auto* cell = new TPanel(form.get());
    cell->SetBounds(0, 0, 100, 100);
    cell->SetParent(inner);
    auto* edit = new TEdit(form.get());
    edit->SetBounds(120, 10, 60, 20);
    edit->SetParent(inner);
    testing::Flush();
    edit->SetFocus();
    TWeakRef<TPanel> cellRef(cell);
    TWeakRef<TEdit> editRef(edit);
    cell->OnMouseDown = [inner](TComponent*, TMouseButton, TShiftState, int, int) { inner->Free(); };
    events.clear();
    MouseClick(*panel, 10, 110);
    EXPECT_FALSE(cellRef);
    EXPECT_FALSE(editRef);
    EXPECT_EQ(panel->ControlCount(), panelControls);
    EXPECT_EQ(form->ActiveControl(), nullptr);
    EXPECT_TRUE(Buttons().empty());
    MouseClick(*panel, 150, 120);
    EXPECT_EQ(Buttons(), (std::vector<std::string>{"P.down L 150,120", "P.click", "P.up L 150,120"}));
    EXPECT_NE(testing::Probe(*panel, 150, 120), clYellow);
}

TEST_F(MouseDispatch, FormSeesTheWheelBeforeItsControls)
{
    std::vector<std::string> wheel;
    form->OnMouseWheelDown = [&](TComponent*, TShiftState, TPoint pos, bool& handled) {
        wheel.push_back("down " + std::to_string(pos.x) + "," + std::to_string(pos.y));
        handled = true;
    };
    form->OnMouseWheelUp = [&](TComponent*, TShiftState, TPoint, bool&) { wheel.push_back("up"); };
    testing::MouseWheel(*panel, 40, 50, -120);
    testing::MouseWheel(*panel, 40, 50, 120);
    const TPoint screen = panel->ClientToScreen(TPoint{40, 50});
    EXPECT_EQ(wheel,
              (std::vector<std::string>{"down " + std::to_string(screen.x) + "," + std::to_string(screen.y), "up"}));
}

TEST_F(MouseDispatch, AHandCursorLabelShowsItWhenHovered)
{
    a->SetCursor(crHandPoint);
    MouseMove(*panel, 5, 100);
    EXPECT_TRUE(testing::ShowsCursor(*a, crDefault));
    MouseMove(*a, 5, 5);
    EXPECT_TRUE(testing::ShowsCursor(*a, crHandPoint));
    MouseMove(*panel, 5, 100);
    EXPECT_TRUE(testing::ShowsCursor(*a, crDefault)) << "the panel's own cursor again";
}

TEST_F(MouseDispatch, CursorPositionCanBeSet)
{
    plat::Mouse::SetCursorPos(TPoint{37, 41});
    EXPECT_EQ(plat::Mouse::CursorPos(), (TPoint{37, 41}));
}

} // namespace
} // namespace plat
