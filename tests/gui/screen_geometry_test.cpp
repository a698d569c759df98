#include "platform/gui/form.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <string>

namespace plat {
namespace {

class ScreenGeometryTest : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        form.reset(new TForm);
        form->SetBounds(40, 30, 400, 300);
    }
    void TearDown() override
    {
        form.reset();
        OffscreenGuiTest::TearDown();
    }
    TPanel* AddPanel(TWinControl* parent, int left, int top, int width, int height, TColor color = clWhite)
    {
        auto* panel = new TPanel(form.get());
        panel->SetBevelOuter(TBevelCut::bvNone);
        panel->SetColor(color);
        panel->SetBounds(left, top, width, height);
        panel->SetParent(parent);
        return panel;
    }
    TOwned<TForm> form;
};

TEST_F(ScreenGeometryTest, OriginsByGeometryMatchQtsMapping)
{
    TPanel* desk = AddPanel(form.get(), 5, 7, 380, 280);
    TPanel* frame = AddPanel(desk, 11, 13, 100, 120);
    TPanel* scrolled = AddPanel(frame, 0, -450, 100, 2000);
    TPanel* row = AddPanel(scrolled, 3, 470, 90, 20);
    TPanel* hidden = AddPanel(desk, 200, 20, 80, 60);
    TPanel* inHidden = AddPanel(hidden, 4, 6, 10, 10);
    hidden->Hide();
    TPanel* empty = AddPanel(desk, 150, 150, 0, 0);
    // A form inside a panel maps through its own window.
    auto* inner = new TForm;
    inner->SetBounds(0, 0, 120, 90);
    inner->SetParent(desk);
    inner->SetBounds(30, 200, 120, 70);
    TPanel* onInner = AddPanel(inner, 8, 9, 20, 20);
    form->Show();
    testing::Flush();

    struct Case {
        const char* name;
        TWinControl* control;
    };
    const Case cases[] = {{"desk", desk},       {"nested", frame},     {"scrolled", scrolled},
                          {"row", row},         {"hidden", hidden},    {"in hidden", inHidden},
                          {"zero size", empty}, {"inner form", inner}, {"on inner form", onInner}};
    TScreenOrigins origins;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(origins.Of(*c.control), testing::MappedToScreen(*c.control));
    }
    inner->Free();
}

TEST_F(ScreenGeometryTest, AMovedPanelRepaintsItsOldAndItsNewPlace)
{
    TPanel* desk = AddPanel(form.get(), 0, 0, 400, 300, clWhite);
    TPanel* frame = AddPanel(desk, 20, 20, 100, 100, clWhite);
    TPanel* content = AddPanel(frame, 0, 0, 100, 400, clLime);
    AddPanel(content, 0, 60, 100, 10, clRed);
    // Siblings above and below the frame, as on a busy desk.
    for (int i = 0; i < 20; ++i)
        AddPanel(desk, 150 + i * 5, 150, 4, 4, clWhite);
    TPanel* block = AddPanel(desk, 200, 20, 40, 40, clRed);
    form->Show();
    testing::Flush();
    const TPoint at = form->ClientToScreen(TPoint{0, 0});
    auto screen = [&](int x, int y) { return testing::ProbeScreen(at.x + x, at.y + y); };
    ASSERT_EQ(screen(50, 85), clRed);

    content->SetTop(-40);
    block->SetLeft(260);
    testing::Flush();
    EXPECT_EQ(screen(50, 45), clRed);
    EXPECT_EQ(screen(50, 85), clLime);
    EXPECT_EQ(screen(210, 30), clWhite);
    EXPECT_EQ(screen(270, 30), clRed);
}

} // namespace
} // namespace plat
