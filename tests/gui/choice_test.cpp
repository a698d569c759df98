#include "platform/gui/canvas.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/date_picker.h"
#include "platform/gui/form.h"
#include "platform/gui/list_box.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/text_metrics.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plat {
namespace {

class Choices : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        form.reset(new TForm);
        form->SetBounds(0, 0, 400, 300);
        form->Show();
    }
    TOwned<TForm> form;
};

TEST_F(Choices, FlatComboBoxDrawsItsBorderAndFollowsItsFontsHeight)
{
    auto* combo = new TFlatComboBox(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(10, 10, 120, combo->Height());
    const int small = combo->Height();
    EXPECT_EQ(small, TextMetrics::LineHeight(combo->Font()) + 8);
    combo->Font().SetSize(14);
    EXPECT_EQ(combo->Height(), TextMetrics::LineHeight(combo->Font()) + 8);
    EXPECT_GT(combo->Height(), small);

    combo->SetColorBorder(0xA9A9A9);
    combo->SetColorFlat(0x00FF00);
    combo->SetColor(0x0000FF);
    testing::Render(*form);
    EXPECT_EQ(testing::Probe(*combo, 0, 0), 0xA9A9A9u);
    EXPECT_EQ(testing::Probe(*combo, 119, 22), 0xA9A9A9u);
    EXPECT_EQ(combo->ColorFlat(), 0x00FF00u);

    combo->SetHeight(40);
    combo->Font().SetSize(8);
    EXPECT_EQ(combo->Height(), 40);

    UseFixedMetrics();
    EXPECT_EQ(TFlatComboBox(nullptr).Height(), 23);
}

TEST_F(Choices, ComboBoxNotifiesOnlyTheUserAndWidensBeforeDropping)
{
    auto* combo = new TComboBox(form.get());
    combo->SetParent(form.get());
    int changes = 0;
    combo->OnChange = [&](TComponent*) { ++changes; };
    combo->SetItems({"jedna", "dva", "tři"});
    EXPECT_EQ(combo->ItemIndex(), -1);
    combo->SetItemIndex(1);
    combo->SetText("tři");
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(changes, 0);
    combo->SetFocus();
    testing::TypeText(*combo, "x");
    EXPECT_EQ(changes, 1);

    std::vector<std::string> order;
    combo->OnDropDown = [&](TComponent*) {
        order.push_back("OnDropDown");
        combo->SetWidth(260);
    };
    const int width = combo->DropDown();
    combo->CloseUp();
    EXPECT_EQ(order.size(), 1u);
    EXPECT_GE(width, 260);
}

TEST_F(Choices, OwnerDrawnListPaintsRowsOfItsHeight)
{
    auto* list = new TListBox(form.get());
    list->SetParent(form.get());
    list->SetBounds(10, 10, 120, 60);
    list->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
    list->SetItemHeight(28);
    struct Drawn {
        int index;
        TRect rect;
        TOwnerDrawState state;
    };
    std::vector<Drawn> drawn;
    list->OnDrawItem = [&](TComponent*, int index, const TRect& rect, TOwnerDrawState state, TCanvas& canvas) {
        drawn.push_back({index, rect, state});
        canvas.Brush.Color = (state & odSelected) ? clBlue : (index == 0 ? clYellow : clLime);
        canvas.FillRect(rect);
    };
    list->SetItems({"a", "b"});
    int clicks = 0;
    list->OnClick = [&](TComponent*) { ++clicks; };
    list->SetItemIndex(1);
    EXPECT_EQ(clicks, 0);
    drawn.clear();
    testing::Render(*list);
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].index, 0);
    EXPECT_EQ(drawn[0].rect.Height(), 28);
    EXPECT_EQ(drawn[1].rect.Top, 28);
    EXPECT_EQ(drawn[0].state & odSelected, 0u);
    EXPECT_NE(drawn[1].state & odSelected, 0u);
    EXPECT_TRUE(testing::MatchesGolden(*list, std::string(DALMORA_TEST_DATA_DIR) + "owner_drawn_list.png",
                                       DALMORA_GUI_OUTPUT_DIR));
    testing::MouseClick(*list, 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list->ItemIndex(), 0);
}

TEST_F(Choices, DatePickerShowsCzechNamesForEveryMonthAndDay)
{
    const char* months[] = {"ledna",    "února", "března", "dubna", "května",    "června",
                            "července", "srpna", "září",   "října", "listopadu", "prosince"};
    const char* days[] = {"po", "út", "st", "čt", "pá", "so", "ne"};
    TOwned<TDateTimePicker> owned(new TDateTimePicker(nullptr));
    TDateTimePicker& picker = *owned;
    int changes = 0;
    picker.OnChange = [&](TComponent*) { ++changes; };
    picker.SetDate(2024, 1, 1);
    EXPECT_EQ(testing::ShownText(picker), " po 01. ledna 2024");
    for (int month = 1; month <= 12; ++month) {
        picker.SetDate(2024, month, 1);
        EXPECT_NE(testing::ShownText(picker).find(std::string(". ") + months[month - 1] + " 2024"), std::string::npos)
            << month;
    }
    // 1 to 7 January 2024 run from Monday to Sunday.
    for (int day = 1; day <= 7; ++day) {
        picker.SetDate(2024, 1, day);
        EXPECT_EQ(testing::ShownText(picker).find(std::string(" ") + days[day - 1] + " 0" + std::to_string(day) + "."),
                  0u)
            << day;
    }
    EXPECT_EQ(changes, 0);
    int year = 0, month = 0, day = 0;
    picker.Date(year, month, day);
    EXPECT_EQ(year * 10000 + month * 100 + day, 20240107);
}

TEST_F(Choices, DatePickerNotifiesOnlyTheUser)
{
    auto* picker = new TDateTimePicker(form.get());
    picker->SetParent(form.get());
    picker->SetBounds(10, 10, 160, 23);
    int changes = 0;
    picker->OnChange = [&](TComponent*) { ++changes; };
    picker->SetDate(2024, 1, 15);
    EXPECT_EQ(changes, 0);
    picker->SetFocus();
    // The window takes the focus after this event: the first field is then
    // selected, as Tab selects it.
    testing::Flush();
    testing::TapKey(*picker, 0x26);
    EXPECT_EQ(changes, 1);
    int year = 0, month = 0, day = 0;
    picker->Date(year, month, day);
    EXPECT_NE(year * 10000 + month * 100 + day, 20240115);
}

TEST_F(Choices, NotebookShowsOnlyTheActivePage)
{
    auto* book = new TNotebook(form.get());
    book->SetParent(form.get());
    book->SetBounds(0, 0, 200, 100);
    TNotebookPage* first = book->AddPage("Login");
    TNotebookPage* second = book->AddPage("Main");
    auto* hiddenOnSecond = new TPanel(form.get());
    hiddenOnSecond->SetParent(second);
    hiddenOnSecond->Hide();
    auto* shownOnSecond = new TPanel(form.get());
    shownOnSecond->SetParent(second);
    int changes = 0;
    book->OnPageChanged = [&](TComponent*) { ++changes; };
    EXPECT_EQ(book->ActivePage(), "Login");
    EXPECT_TRUE(first->Showing());
    EXPECT_FALSE(second->Showing());
    book->SetActivePage("Main");
    book->SetActivePage("Main");
    book->SetActivePage("nothing");
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(first->Showing());
    EXPECT_TRUE(shownOnSecond->Showing());
    EXPECT_FALSE(hiddenOnSecond->Visible());
    EXPECT_EQ(second->Width(), 200);
    EXPECT_EQ(second->Height(), 100);
}

} // namespace
} // namespace plat
