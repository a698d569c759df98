#include "tests/dialog/dialog_fixture.h"

#include "view/hooks.h"

namespace dialog_test {

void DialogTest::SetUp()
{
    ShellTest::SetUp();
    InstallUniversalDialog();
    selector_.reset(new TfrmSelector());
    script_ = std::make_unique<plat::testing::ScopedModalScript>([this](plat::TForm& form) {
        auto* dialog = dynamic_cast<TfrmUnidlgDLMR1*>(&form);
        if (dialog == nullptr)
            return;
        shown.push_back(dialog->Key);
        auto step = steps_.find(dialog->Key);
        if (step != steps_.end() && step->second)
            step->second(*dialog);
        else
            dialog->Close();
    });
    Main().Show();
}

void DialogTest::TearDown()
{
    script_.reset();
    for (const std::string& key : addedPages_)
        RemoveUniDialogPage(key);
    selector_.reset();
    SetUniDialogFactory(nullptr);
    ViewDialogHooks = TNViewDialogHooks{};
    ShellTest::TearDown();
}

void DialogTest::OnShown(const std::string& key, std::function<void(TfrmUnidlgDLMR1&)> step)
{
    steps_[key] = std::move(step);
}

TNUniDialogPage& DialogTest::AddPage(const std::string& key, std::function<bool(TfrmUnidlgDLMR1&)> build)
{
    TNUniDialogPage page;
    page.Key = key;
    page.Build = std::move(build);
    page.Close = {"Zavřít", 93};
    page.Ulozit = {"Uložit", 93};
    addedPages_.push_back(key);
    return AddUniDialogPage(page);
}

int32_t DialogTest::Open(const std::string& key, int32_t i1, int32_t i8)
{
    return Main().UniDialog(key.c_str(), nullptr, i1, 0, 0, 0, 0, 0, 0, i8);
}

} // namespace dialog_test
