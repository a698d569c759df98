#include "platform/gui/edit.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <set>

namespace plat {
namespace {

class Controls : public testing::OffscreenGuiTest {};

TEST_F(Controls, BoundsReadBackExactlyBeforeAndAfterParenting)
{
    struct Case {
        const char* name;
        TRect bounds;
    };
    const Case cases[] = {
        {"far outside, empty", Bounds(-999, -100, 0, 0)},
        {"partly outside", Bounds(-100, -100, 16, 16)},
        {"inside", Bounds(3, 4, 50, 20)},
    };
    TOwned<TForm> form(new TForm);
    TOwned<TForm> parentForm(new TForm);
    parentForm->Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* panel = new TPanel(form.get());
        auto* label = new TLabel(form.get());
        label->SetAutoSize(false);
        TOwned<TForm> other(new TForm);
        for (TControl* control :
             {static_cast<TControl*>(panel), static_cast<TControl*>(label), static_cast<TControl*>(other.get())}) {
            control->SetBounds(c.bounds.Left, c.bounds.Top, c.bounds.Width(), c.bounds.Height());
            EXPECT_EQ(control->BoundsRect(), c.bounds) << control->ClassName();
            if (control != other.get())
                control->SetParent(parentForm.get());
            EXPECT_EQ(control->BoundsRect(), c.bounds) << control->ClassName() << " parented";
        }
        other->Show();
        EXPECT_EQ(other->BoundsRect(), c.bounds) << "shown form";
    }
}

TEST_F(Controls, ParentlessPanelMakesNoWindowAndShowsOnceParented)
{
    TOwned<TForm> form(new TForm);
    form->Show();
    auto* panel = new TPanel(form.get());
    EXPECT_TRUE(panel->Visible());
    EXPECT_FALSE(panel->Showing());
    const auto windowsBefore = testing::TopLevelWindowCount();
    testing::Flush();
    EXPECT_EQ(testing::TopLevelWindowCount(), windowsBefore);
    panel->SetParent(form.get());
    EXPECT_TRUE(panel->Showing());

    auto* child = new TLabel(form.get());
    child->SetParent(panel);
    panel->Hide();
    EXPECT_TRUE(child->Visible());
    EXPECT_FALSE(child->Showing());
    panel->Show();
    EXPECT_TRUE(child->Showing());
}

TEST_F(Controls, AlignmentFillsInsideBorderAndFollowsResizeAtOnce)
{
    TOwned<TForm> form(new TForm);
    auto* parent = new TPanel(form.get());
    parent->SetBevelOuter(TBevelCut::bvNone);
    parent->SetBorderWidth(2);
    parent->SetBounds(0, 0, 100, 80);
    parent->SetParent(form.get());
    auto* top1 = new TPanel(form.get());
    top1->SetHeight(10);
    top1->SetAlign(TAlign::alTop);
    top1->SetParent(parent);
    auto* client = new TPanel(form.get());
    client->SetAlign(TAlign::alClient);
    client->SetParent(parent);
    auto* top2 = new TPanel(form.get());
    top2->SetHeight(5);
    top2->SetAlign(TAlign::alTop);
    top2->SetParent(parent);

    EXPECT_EQ(top1->BoundsRect(), Bounds(2, 2, 96, 10));
    EXPECT_EQ(top2->BoundsRect(), Bounds(2, 12, 96, 5));
    EXPECT_EQ(client->BoundsRect(), Bounds(2, 17, 96, 61));

    int resizes = 0;
    client->OnResize = [&](TComponent*) { ++resizes; };
    parent->SetBounds(0, 0, 60, 40);
    EXPECT_EQ(top1->BoundsRect(), Bounds(2, 2, 56, 10));
    EXPECT_EQ(client->BoundsRect(), Bounds(2, 17, 56, 21));
    EXPECT_EQ(resizes, 1);

    top1->Hide();
    EXPECT_EQ(top2->BoundsRect(), Bounds(2, 2, 56, 5));
    parent->SetBounds(0, 0, 3, 3);
    EXPECT_EQ(client->Width(), 0);
    EXPECT_EQ(client->Height(), 0);
}

TEST_F(Controls, KeepsWhatWasSetAndNamesItsClass)
{
    TOwned<TForm> form(new TForm);
    auto* panel = new TJvPanel(form.get());
    auto* label = new TLabel(form.get());
    panel->SetTag(INT64_C(0x7FFFFFFF12345678));
    EXPECT_EQ(panel->Tag(), INT64_C(0x7FFFFFFF12345678));
    EXPECT_STREQ(panel->ClassName(), "TJvPanel");
    EXPECT_STREQ(label->ClassName(), "TLabel");
    EXPECT_STREQ(form->ClassName(), "TForm");
    EXPECT_EQ(panel->Owner(), form.get());
    EXPECT_EQ(form->ComponentCount(), 2);

    std::set<THandle> handles{form->Handle(), panel->Handle(), label->Handle()};
    label->Free();
    auto* next = new TLabel(form.get());
    EXPECT_EQ(handles.count(next->Handle()), 0u) << "a handle is never reused";
    EXPECT_EQ(form->ComponentCount(), 2);

    panel->BeginUpdate();
    panel->BeginUpdate();
    panel->EndUpdate();
    EXPECT_EQ(panel->UpdateCount(), 1);
    panel->EndUpdate();
    EXPECT_EQ(panel->UpdateCount(), 0);
}

TEST_F(Controls, FontFollowsParentUntilSetOwn)
{
    TOwned<TForm> form(new TForm);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    auto* label = new TLabel(form.get());
    label->SetParent(panel);
    panel->Font().SetName("Roboto Condensed");
    EXPECT_EQ(label->Font().Name(), "Roboto Condensed");
    EXPECT_TRUE(label->ParentFont());
    label->Font().SetSize(14);
    EXPECT_FALSE(label->ParentFont());
    panel->Font().SetName("Arial");
    EXPECT_EQ(label->Font().Name(), "Roboto Condensed");
    label->SetParentFont(true);
    EXPECT_EQ(label->Font().Name(), "Arial");
}

TEST_F(Controls, ClientToScreenAddsTheParentChain)
{
    TOwned<TForm> form(new TForm);
    form->SetBounds(100, 50, 300, 200);
    form->Show();
    auto* panel = new TPanel(form.get());
    panel->SetBounds(10, 20, 100, 100);
    panel->SetParent(form.get());
    auto* label = new TLabel(form.get());
    label->SetBounds(5, 6, 10, 10);
    label->SetParent(panel);
    const TPoint screen = label->ClientToScreen(TPoint{1, 2});
    EXPECT_EQ(screen, (TPoint{100 + 10 + 5 + 1, 50 + 20 + 6 + 2}));
    EXPECT_EQ(label->ScreenToClient(screen), (TPoint{1, 2}));
}

TEST_F(Controls, ScreenOriginsAgreeWithClientToScreen)
{
    TOwned<TForm> form(new TForm);
    form->SetBounds(100, 50, 400, 300);
    auto* menu = new TMainMenu(form.get());
    menu->Items()->Add(new TMenuItem(menu));
    form->SetMenu(menu);
    form->Show();
    TOwned<TForm> other(new TForm);
    other->SetBounds(600, 400, 200, 200);
    other->Show();
    auto* outer = new TPanel(form.get());
    outer->SetBounds(10, 20, 300, 200);
    outer->SetParent(form.get());
    auto* inner = new TPanel(form.get());
    inner->SetBounds(-30, 7, 100, 100);
    inner->SetParent(outer);
    auto* label = new TLabel(form.get());
    label->SetBounds(5, 6, 10, 10);
    label->SetParent(inner);
    auto* elsewhere = new TPanel(other.get());
    elsewhere->SetBounds(3, 4, 50, 50);
    elsewhere->SetParent(other.get());
    TOwned<TPanel> parentless(new TPanel(nullptr));
    parentless->SetBounds(11, 12, 20, 20);
    // A window placed inside another places itself all the same.
    TOwned<TForm> embedded(new TForm);
    embedded->SetBounds(8, 9, 50, 50);
    embedded->SetParent(outer);
    auto* embeddedMenu = new TMainMenu(embedded.get());
    embeddedMenu->Items()->Add(new TMenuItem(embeddedMenu));
    embedded->SetMenu(embeddedMenu);
    auto* inEmbedded = new TPanel(embedded.get());
    inEmbedded->SetBounds(2, 3, 10, 10);
    inEmbedded->SetParent(embedded.get());

    TScreenOrigins origins;
    for (const TControl* control : std::initializer_list<const TControl*>{
             form.get(), outer, inner, label, elsewhere, parentless.get(), inEmbedded, label, elsewhere}) {
        SCOPED_TRACE(control->ClassName());
        EXPECT_EQ(origins.Of(*control), control->ClientToScreen(TPoint{0, 0}));
    }
}

TEST_F(Controls, FreeingWindowedControlFreesChildrenAndNullsWeakReferences)
{
    TOwned<TForm> form(new TForm);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    auto* label = new TLabel(form.get());
    label->SetParent(panel);
    TWeakRef<TLabel> labelRef(label);
    TWeakRef<TPanel> panelRef(panel);
    panel->Free();
    EXPECT_FALSE(panelRef);
    EXPECT_FALSE(labelRef);
    EXPECT_EQ(form->ControlCount(), 0);
    EXPECT_EQ(form->ComponentCount(), 0);
}

// The child's widget stays with its hidden parent until deleted after the
// dispatch; the parent freed right after must not delete it a second time.
TEST_F(Controls, ParentFreedRightAfterAChildFreedInADispatchLeavesNoWidgets)
{
    TOwned<TForm> form(new TForm);
    form->SetBounds(0, 0, 200, 200);
    form->Show();
    testing::Flush();
    const int widgetsBefore = testing::WidgetCount();
    auto* outer = new TPanel(form.get());
    outer->SetBounds(0, 0, 200, 200);
    outer->SetParent(form.get());
    auto* inner = new TPanel(form.get());
    inner->SetBounds(10, 10, 100, 100);
    inner->SetParent(outer);
    auto* edit = new TEdit(form.get());
    edit->SetParent(inner);
    testing::Flush();
    edit->SetFocus();
    TWeakRef<TEdit> editRef(edit);
    {
        DispatchScope dispatch;
        inner->Free();
        EXPECT_FALSE(editRef);
        EXPECT_EQ(outer->ControlCount(), 0);
        EXPECT_EQ(form->ActiveControl(), nullptr);
    }
    outer->Free();
    testing::Flush();
    EXPECT_EQ(form->ComponentCount(), 0);
    EXPECT_EQ(testing::WidgetCount(), widgetsBefore);
}

// A control taken out of its parent lives on when that parent goes, and can
// be placed and shown again with its editor intact.
TEST_F(Controls, ControlTakenOutOfItsParentOutlivesIt)
{
    TOwned<TForm> form(new TForm);
    form->SetBounds(0, 0, 200, 200);
    form->Show();
    testing::Flush();
    const int widgetsBefore = testing::WidgetCount();
    auto* old = new TPanel(form.get());
    old->SetBounds(0, 0, 200, 100);
    old->SetParent(form.get());
    auto* moved = new TPanel(form.get());
    moved->SetBevelOuter(TBevelCut::bvNone);
    moved->SetColor(clYellow);
    moved->SetBounds(10, 10, 80, 50);
    moved->SetParent(old);
    auto* edit = new TEdit(form.get());
    edit->SetBounds(0, 30, 80, 20);
    edit->SetParent(moved);
    testing::Flush();
    ASSERT_EQ(testing::Probe(*form, 20, 20), clYellow);

    moved->SetParent(nullptr);
    testing::Flush();
    EXPECT_NE(testing::Probe(*form, 20, 20), clYellow);
    old->Free();
    testing::Flush();
    ASSERT_TRUE(moved->Alive());

    moved->SetBounds(10, 110, 80, 50);
    moved->SetParent(form.get());
    edit->SetText("po přesunu");
    testing::Flush();
    EXPECT_EQ(testing::Probe(*form, 20, 120), clYellow);
    EXPECT_EQ(edit->Text(), "po přesunu");
    moved->Free();
    testing::Flush();
    EXPECT_EQ(testing::WidgetCount(), widgetsBefore);
}

} // namespace
} // namespace plat
