#include "tests/mainwindow/header_fixture.h"

#include "model/contacts.h"
#include "model/contacts_requests.h"
#include "model/notifications.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "view/view.h"

namespace shell_test {

void HeaderTest::SetUp()
{
    ShellTest::SetUp();
    data_ = std::make_unique<model_test::DataSet>();
    g.UpdateAccount([](TNAccount& account) { account = TNAccount(); });
    g.pleaseSaveBasicProfileSettings = 0;
    g.basicProfileSettingsChanged = 0;
    SignIn();
    Main().ShowOrHideWindowPartsForQuillor();
    Main().CreateHeaderComponents();
}

void HeaderTest::TearDown()
{
    data_.reset();
    ShellTest::TearDown();
}

void HeaderTest::SetHeaderWidth(int32_t width)
{
    Main().pHeader->SetBounds(0, 0, width, 63);
    Main().ResizeHeaderComponents();
}

TNViewItem* HeaderTest::Item(const char* name)
{
    return View.GetComponent(name);
}

plat::TLabel* HeaderTest::Overlay(const char* name)
{
    TNViewItem* item = Item(name);
    return item != nullptr ? item->TitleLabel.Get() : nullptr;
}

plat::TFlatEdit* HeaderTest::Edit(const char* name)
{
    TNViewItem* item = Item(name);
    return item != nullptr ? item->Edits[0].Get() : nullptr;
}

TNPIMNotification& HeaderTest::AddNotification(uint32_t id, int32_t type, const char* sender, uint32_t recordId)
{
    TNPIMNotifications& list = data_->Pim().Notifications;
    const int32_t pos = list.PosForIDOrAppend(id);
    TNPIMNotification& n = *list.Items[pos];
    n.ID = id;
    n.Type = type;
    n.FullName.Set(sender);
    n.Settings_RecordID = recordId;
    return n;
}

TNPIMContactsRequest& HeaderTest::AddRequest(uint32_t id, const char* fullName)
{
    TNPIMContactsRequests& list = data_->Pim().ContactsRequests;
    const int32_t pos = list.PosForIDOrAppend(id);
    TNPIMContactsRequest& request = *list.Items[pos];
    request.ID = id;
    request.FullName.Set(fullName);
    return request;
}

TNPIMContact& HeaderTest::AddContact(uint32_t contactUserId, const char* first, const char* middle, const char* last)
{
    TNPIMContacts& list = data_->Pim().Contacts;
    const int32_t pos = list.PosForIDOrAppend(contactUserId);
    TNPIMContact& contact = *list.Items[pos];
    contact.ID = contactUserId;
    contact.ContactUserID = contactUserId;
    contact.FirstName.Set(first);
    contact.MiddleName.Set(middle);
    contact.LastName.Set(last);
    return contact;
}

void HeaderTest::AddRecord(uint32_t id, int32_t type, const char* text)
{
    TNPIMRecord& record = data_->NewRecord();
    record.ID = id;
    record.Type = type;
    record.Text.Set(text);
    data_->Pim().Records->NoteIDChanged(data_->Pim().Records->Count - 1);
}

} // namespace shell_test
