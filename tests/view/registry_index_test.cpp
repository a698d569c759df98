#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace view_test {
namespace {

// The registry's look-ups as plain scans of the slots, first match in slot
// order: the oracle the indexes must agree with.
int32_t ScanByName(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return -1;
    const size_t length = std::strlen(name);
    for (int32_t i = 0; i < View.ItemsCount; ++i) {
        const TNViewItem* item = View.Items[i];
        if (item != nullptr && static_cast<size_t>(item->Name.Length) == length &&
            std::memcmp(item->Name.Text, name, length) == 0)
            return i;
    }
    return -1;
}

TNViewItem* ScanById(uint32_t id)
{
    if (id == 0)
        return nullptr;
    for (int32_t i = 0; i < View.ItemsCount; ++i) {
        if (View.Items[i] != nullptr && View.Items[i]->ComponentId == id)
            return View.Items[i];
    }
    return nullptr;
}

// Only the fields this test writes: the panel, the caption label, label 5,
// picture 2 and the list states' content panels are compared; label 3 and
// picture 1 are not.
bool Answers(const TNViewItem& item, const plat::TComponent* control)
{
    if (item.CaptionLabel.Get() == control || item.Labels[3].Get() == control || item.Images[1].Get() == control ||
        item.Panel.Get() == control)
        return true;
    for (int32_t i = 0; i < item.InnersCount; ++i) {
        if (item.Inners[i] != nullptr && item.Inners[i]->ContentPanel.Get() == control)
            return true;
    }
    return false;
}

TNViewItem* ScanByControl(const plat::TComponent* control)
{
    if (control == nullptr)
        return nullptr;
    for (int32_t i = 0; i < View.ItemsCount; ++i) {
        if (View.Items[i] != nullptr && Answers(*View.Items[i], control))
            return View.Items[i];
    }
    return nullptr;
}

class RegistryIndexTest : public ViewTest {
protected:
    // A pool of controls the items take; freed ones are made anew, often at
    // the same address.
    plat::TComponent* PoolControl(size_t index)
    {
        if (pool_[index].Get() == nullptr) {
            switch (index % 3) {
            case 0:
                pool_[index] = new plat::TPanel(MainForm());
                break;
            case 1:
                pool_[index] = new plat::TLabel(MainForm());
                break;
            default:
                pool_[index] = new plat::TImage(MainForm());
                break;
            }
        }
        return pool_[index].Get();
    }

    std::vector<plat::TWeakRef<plat::TComponent>> pool_ = std::vector<plat::TWeakRef<plat::TComponent>>(60);
};

TEST_F(RegistryIndexTest, RandomOperationsGiveTheScansResults)
{
    std::mt19937 random(28);
    auto pick = [&](int32_t n) { return static_cast<int32_t>(random() % static_cast<uint32_t>(n)); };
    auto randomName = [&] { return "c" + std::to_string(pick(150)); };
    auto randomItem = [&]() -> TNViewItem* {
        return View.ItemsCount > 0 ? View.Items[pick(View.ItemsCount)] : nullptr;
    };
    int mismatches = 0;
    int hits = 0;
    for (int step = 0; step < 100000 && mismatches < 5; ++step) {
        const int32_t op = pick(100);
        if (op < 20) {
            // Under the form or under another item's panel (step 9's look-up);
            // a nameless item's slot may be reused, freeing its panel.
            TNViewItem* parent = randomItem();
            plat::TWinControl* parentControl = MainForm();
            if (parent != nullptr && !parent->Name.IsEmpty() && parent->Panel.Get() != nullptr && pick(2) == 0)
                parentControl = parent->Panel.Get();
            View.CreateComponent(cmpNone, randomName().c_str(), MainForm(), parentControl, 0, "", 1, -1, nullptr,
                                 nullptr, 3);
        } else if (op < 30) {
            View.DeleteComponent(randomName().c_str(), true);
        } else if (op < 35) {
            if (TNViewItem* item = randomItem())
                pick(2) == 0 ? item->Name.Clear() : item->Name.Set(randomName().c_str());
        } else if (op < 50) {
            TNViewItem* item = randomItem();
            if (item == nullptr)
                continue;
            plat::TComponent* control = pick(8) == 0 ? nullptr : PoolControl(static_cast<size_t>(pick(60)));
            switch (pick(6)) {
            case 0:
                item->Panel = dynamic_cast<plat::TPanel*>(control);
                break;
            case 1:
                item->CaptionLabel = dynamic_cast<plat::TLabel*>(control);
                break;
            case 2:
                item->Labels[1] = dynamic_cast<plat::TLabel*>(control);
                break;
            case 3:
                item->Labels[3] = dynamic_cast<plat::TLabel*>(control);
                break;
            case 4:
                item->Images[pick(2)] = dynamic_cast<plat::TImage*>(control);
                break;
            default:
                if (item->InnersCount < 3)
                    item->AddInner();
                break;
            }
        } else if (op < 55) {
            if (plat::TComponent* control = pool_[static_cast<size_t>(pick(60))].Get())
                control->Free();
        } else if (op < 70) {
            const std::string name = randomName();
            const int32_t expected = ScanByName(name.c_str());
            hits += expected >= 0;
            mismatches += View.GetComponentPosByName(name.c_str()) != expected;
        } else if (op < 80) {
            const uint32_t id = static_cast<uint32_t>(pick(static_cast<int32_t>(View.LastComponentId) + 2));
            mismatches += View.GetComponentById(id) != ScanById(id);
        } else {
            plat::TComponent* control =
                pick(4) == 0 ? PoolControl(static_cast<size_t>(pick(60))) : pool_[static_cast<size_t>(pick(60))].Get();
            TNViewItem* expected = ScanByControl(control);
            hits += expected != nullptr;
            mismatches += View.GetComponentByHandle(control) != expected;
        }
        if (mismatches > 0)
            ADD_FAILURE() << "step " << step << " op " << op;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(hits, 1000) << "the look-ups found something often enough to mean something";
    EXPECT_EQ(View.GetComponentPosByName(""), -1);
    EXPECT_EQ(View.GetComponentPosByName(nullptr), -1);
}

} // namespace
} // namespace view_test
