#pragma once

// The header fixture: the signed-in shell with its header bar made, a data
// set at PIM[0] for the bell, and helpers to seed notifications, contact
// requests, contacts and records.

#include "tests/mainwindow/shell_fixture.h"

#include "tests/model/model_test_support.h"

#include <cstdint>
#include <memory>

class TNPIMContact;
class TNPIMContactsRequest;
class TNPIMNotification;
class TNViewItem;
namespace plat {
class TLabel;
class TFlatEdit;
} // namespace plat

namespace shell_test {

class HeaderTest : public ShellTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The header panel at this width (63 px high), laid out again.
    void SetHeaderWidth(int32_t width);
    static TNViewItem* Item(const char* name);
    // The overlay of a header button, which takes its mouse.
    static plat::TLabel* Overlay(const char* name);
    static plat::TFlatEdit* Edit(const char* name);

public:
    // Seeds of the data set; public for the tables' seeding functions.
    TNPIMNotification& AddNotification(uint32_t id, int32_t type, const char* sender, uint32_t recordId = 0);
    TNPIMContactsRequest& AddRequest(uint32_t id, const char* fullName);
    TNPIMContact& AddContact(uint32_t contactUserId, const char* first, const char* middle, const char* last);
    void AddRecord(uint32_t id, int32_t type, const char* text);

protected:
    std::unique_ptr<model_test::DataSet> data_;
};

} // namespace shell_test
