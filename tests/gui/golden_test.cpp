#include "platform/gui/bevel.h"
#include "platform/gui/form.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/shape.h"
#include "platform/testing/gui_harness.h"
#include "tests/gui/sample_form.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace plat {
namespace {

class Golden : public testing::OffscreenGuiTest {};

TEST_F(Golden, SampleFormMatchesItsGolden)
{
    SampleForm sample;
    sample.form->Show();
    testing::Flush();
    EXPECT_TRUE(testing::MatchesGolden(*sample.form, DALMORA_TEST_DATA_DIR "sample_form.png", DALMORA_GUI_OUTPUT_DIR));
}

TEST_F(Golden, MismatchWritesTheActualAndADiffImage)
{
    const std::filesystem::path output = std::filesystem::path(DALMORA_GUI_OUTPUT_DIR) / "forced";
    std::filesystem::remove_all(output);
    SampleForm sample;
    sample.panel->SetColor(clRed);
    sample.form->Show();
    testing::Flush();
    EXPECT_FALSE(testing::MatchesGolden(*sample.form, DALMORA_TEST_DATA_DIR "sample_form.png", output.string()));
    EXPECT_TRUE(std::filesystem::exists(output / "sample_form.diff.png"));
    EXPECT_TRUE(std::filesystem::exists(output / "sample_form.actual.png"));
}

} // namespace
} // namespace plat
