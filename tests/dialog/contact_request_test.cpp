// The contact request page: what it shows of another user's request, and
// the accept and ignore answers kept in the data set for the online pass.

#include "model/contacts_requests.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/online_steps.h"
#include "platform/gui/button.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/picture.h"
#include "tests/dialog/account_pages_fixture.h"
#include "view/image_table.h"
#include "view/view_item.h"

namespace shell_test {
namespace {

constexpr uint32_t kRequestID = 9100;
constexpr uint32_t kRequesterID = 88;

class ContactRequestTest : public AccountPagesTest {
protected:
    void SetUp() override
    {
        AccountPagesTest::SetUp();
        ImageTable.CreateBlankImage("imgUserPhotoBlankHeader32", 32, 32, 0);
    }

    void TearDown() override
    {
        for (TNModelImage* image : pictures_)
            delete image;
        AccountPagesTest::TearDown();
    }

    TNPIMContactsRequest& AddRequest(const char* fullName)
    {
        TNPIMContactsRequests& requests = Account(0).ContactsRequests;
        EXPECT_TRUE(requests.Resize(requests.Count + 1));
        TNPIMContactsRequest& request = *requests.Items[requests.Count - 1];
        request.ID = kRequestID;
        request.UserID = kRequesterID;
        request.ContactUserID = kUserID;
        request.FullName.Set(fullName);
        return request;
    }

    // The bell's opener: the request id rides in the item's Tag, the
    // account in the last character of its name.
    void OpenFromBell(std::function<void(TfrmUnidlgDLMR1&)> during)
    {
        plat::TButton item(nullptr);
        item.SetName("btnContactRequest_0");
        item.SetTag(kRequestID);
        step = std::move(during);
        Main().btnContactRequestClick(&item);
        step = nullptr;
    }

    static std::string LabelText(const char* name)
    {
        TNViewItem* item = View.GetComponent(name);
        return item != nullptr && item->Label(4) != nullptr ? item->Label(4)->Caption() : "<none>";
    }

    static int PictureWidth()
    {
        TNViewItem* item = View.GetComponent("img12ProfilePicture");
        return item != nullptr && item->Images[1].Get() != nullptr ? item->Images[1]->Picture().Width() : -1;
    }

    int QueuedRequests()
    {
        int count = 0;
        for (const QueueEntry& entry : QueuedItems())
            count += entry.ID == kRequestID ? 1 : 0;
        return count;
    }

    std::vector<TNModelImage*> pictures_;
};

TEST_F(ContactRequestTest, AnUnknownRequestIsReportedAndNoWindowOpens)
{
    OpenFromBell(nullptr);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Chyba: Požadavek kontaktu nebyl nalezen.");
    EXPECT_EQ(MessageBoxFields.Caption, "Chyba");
}

TEST_F(ContactRequestTest, ShowsTheRequestersProfileAsPlainText)
{
    struct Row {
        const char* name;
        bool full;
        int pictureState;
        bool pictureLoaded;
        int expectedWidth;
    };
    const Row rows[] = {
        {"only a name, no picture fetched", false, 1, false, 32},
        {"all five texts and a loaded picture", true, 2, true, 40},
        {"a picture state without a loaded picture", false, 2, false, 32},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Account(0).ContactsRequests.Clear();
        TNPIMContactsRequest& request = AddRequest("Jan Novák");
        if (row.full) {
            request.Bio.Set("<b>x</b>");
            request.Web.Set("https://example.test/?a=1&b=2");
            request.Company.Set("Anna & Jan");
            request.City.Set("Brno");
        }
        request.ProfilePictureState = row.pictureState;
        if (row.pictureLoaded) {
            auto* picture = new TNModelImage();
            picture->Picture().Assign(ImageTable.CreateBlankImage("testProfile", 40, 40, 0)->Picture());
            pictures_.push_back(picture);
            request.ProfilePictureImage = picture;
        }
        std::vector<std::string> labels;
        int width = 0;
        std::string caption;
        opened.clear();
        OpenFromBell([&](TfrmUnidlgDLMR1& dialog) {
            caption = dialog.Caption();
            for (const char* name : {"label12FullName", "label12Bio", "label12Web", "label12Company", "label12City"})
                labels.push_back(LabelText(name));
            width = PictureWidth();
            EXPECT_NE(LabelText("label12Info").find("Uživatel Jan Novák Vás žádá"), std::string::npos);
            EXPECT_TRUE(dialog.btnVymazat->Visible());
            EXPECT_EQ(dialog.btnUlozit->Caption(), "Přidat uživatele do mých kontaktů");
        });
        ASSERT_EQ(opened, std::vector<std::string>{"ContactRequest"});
        EXPECT_EQ(caption, "Požadavek kontaktu");
        EXPECT_EQ(width, row.expectedWidth);
        if (row.full) {
            EXPECT_EQ(labels, (std::vector<std::string>{"Jan Novák", "<b>x</b>", "https://example.test/?a=1&b=2",
                                                        "Anna & Jan", "Brno"}));
            TNViewItem* company = View.GetComponent("label12Company");
            EXPECT_EQ(company, nullptr) << "closed with the dialog";
        } else {
            EXPECT_EQ(labels, (std::vector<std::string>{"Jan Novák", "<none>", "<none>", "<none>", "<none>"}));
        }
        EXPECT_EQ(QueuedRequests(), 0) << "closing sends no answer";
    }
}

TEST_F(ContactRequestTest, BothAnswersAreKeptAndQueuedForThePass)
{
    struct Row {
        const char* name;
        bool accept;
        int32_t acceptance;
        const char* request;
    };
    const Row rows[] = {
        {"accept", true, 1, "accept-contact-request"},
        {"ignore", false, 2, "ignore-contact-request"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Account(0).ContactsRequests.Clear();
        ForgetQueue();
        AddRequest("Jan Novák");
        sync_.Seed(test_service::kContactsRequests,
                   {{"UserID", std::to_string(kRequesterID)}, {"ContactUserID", std::to_string(kUserID)}}, kRequestID);
        OpenFromBell([&](TfrmUnidlgDLMR1& dialog) {
            if (row.accept)
                dialog.btnUlozit->Click();
            else
                dialog.btnVymazat->Click();
            EXPECT_EQ(dialog.saved, 1);
        });
        const TNPIMContactsRequest& request = *Account(0).ContactsRequests.GetItemByID(kRequestID);
        EXPECT_EQ(request.AcceptanceType, row.acceptance);
        EXPECT_EQ(request.AcceptanceTimestamp, 0);
        EXPECT_EQ(QueuedRequests(), 1);

        // The pass sends the answer kept in the data set.
        const size_t before = Sent(row.request).size();
        online::onlineIgnoreOrAcceptContactsRequests();
        EXPECT_EQ(Sent(row.request).size(), before + 1);
    }
}

TEST_F(ContactRequestTest, ARequestRemovedWhileOpenChangesNothing)
{
    AddRequest("Jan Novák");
    ForgetQueue();
    OpenFromBell([&](TfrmUnidlgDLMR1& dialog) {
        {
            TNModelWriteGuard lock;
            Account(0).ContactsRequests.Clear();
        }
        dialog.btnUlozit->Click();
        EXPECT_EQ(dialog.saved, 1);
    });
    EXPECT_EQ(QueuedRequests(), 0);
    EXPECT_TRUE(boxes.empty());
}

} // namespace
} // namespace shell_test
