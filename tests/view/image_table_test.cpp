#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/program_start.h"
#include "model/hooks.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "online/global.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "tests/view/view_fixture.h"
#include "view/hooks.h"
#include "view/image_table.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace view_test {
namespace {

namespace fs = std::filesystem;

const std::string kPictures = DALMORA_TEST_DATA_DIR "../../gui/data/";
// Two JPEG portraits, 24 x 12 and 32 x 16.
const std::string kPortraitA = DALMORA_TEST_DATA_DIR "portrait_a.jpg";
const std::string kPortraitB = DALMORA_TEST_DATA_DIR "portrait_b.jpg";
const std::string kPhoto = kPictures + "photo.jpg";

plat::TColor PixelOf(const plat::TImage* image, int x, int y)
{
    plat::TBitmap bitmap;
    bitmap.Assign(*image->Picture().Graphic());
    return bitmap.Canvas().Pixel(x, y);
}

// The view fixture with a program folder whose images/ holds the GUI
// layer's picture fixtures.
class ImageTableTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        fs::create_directories(program_.Path() + "images");
        for (const char* name : {"sample.png", "photo.jpg", "glyph.bmp", "sample.gif", "truncated.png"})
            fs::copy_file(kPictures + name, program_.Path() + "images/" + name);
        SetProgramFolderForTest(program_.Path());
    }
    void TearDown() override
    {
        SetProgramFolderForTest("");
        ViewTest::TearDown();
    }

    testing_support::ScratchFolder program_;
};

TEST_F(ImageTableTest, FirstLoadPutsTheFallbackInSlotZero)
{
    plat::TImage* image = ImageTable.LoadImage("imgA", "images\\sample.png");
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(ImageTable.ImagesCount(), 2);
    EXPECT_EQ(ImageTable.Image(0)->Hint(), "imgFallback");
    EXPECT_EQ(ImageTable.Image(1), image);
    EXPECT_FALSE(image->Visible());
    EXPECT_EQ(image->Owner(), MainForm());
    EXPECT_EQ(ImageTable.GetImage("imgA"), image);
    EXPECT_EQ(ImageTable.GetImage("nothing"), ImageTable.Image(0));
    EXPECT_EQ(ImageTable.GetImage("nothing", true), nullptr);
    EXPECT_EQ(ImageTable.GetImage(nullptr), nullptr);
    EXPECT_EQ(ImageTable.GetImage(""), nullptr);
    EXPECT_EQ(log_.CountContaining("[TNGlobal::GetImage][ERROR] name = NULL"), 1);
    EXPECT_EQ(log_.CountContaining("[TNGlobal::GetImage][ERROR] strlen(name) = 0"), 1);
}

TEST_F(ImageTableTest, EveryFormatLoadsByExtensionAndBothFolderSpellingsMeetInOne)
{
    const struct {
        const char* file;
        int width;
        int height;
    } cases[] = {{"images/sample.png", 3, 2},
                 {"Images/sample.png", 3, 2},
                 {"images\\photo.jpg", 16, 8},
                 {"Images\\glyph.bmp", 8, 6},
                 {"images/sample.gif", 5, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        plat::TImage* image = ImageTable.LoadImageFromFile(c.file, c.file);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Picture().Width(), c.width);
        EXPECT_EQ(image->Picture().Height(), c.height);
    }
}

TEST_F(ImageTableTest, LoadingANameAgainReplacesThePictureInPlace)
{
    plat::TImage* first = ImageTable.LoadImage("imgA", "images/sample.png");
    ASSERT_NE(first, nullptr);
    int count = ImageTable.ImagesCount();
    plat::TImage* again = ImageTable.LoadImage("imgA", "images/glyph.bmp");
    EXPECT_EQ(again, first);
    EXPECT_EQ(ImageTable.ImagesCount(), count);
    EXPECT_EQ(first->Picture().Width(), 8);
    EXPECT_EQ(PixelOf(first, 3, 3), plat::RGB(0, 0, 0));

    // A file that cannot be decoded leaves the old picture.
    EXPECT_EQ(ImageTable.LoadImage("imgA", "images/truncated.png"), nullptr);
    EXPECT_EQ(first->Picture().Width(), 8);
    EXPECT_EQ(log_.CountContaining("[ExceptionHandler][ERROR][EXCEPTION] Caller: [TNGlobal::LoadImageFromFile]"), 1);

    EXPECT_EQ(ImageTable.LoadImage("imgB", "images/missing.png"), nullptr);
    EXPECT_EQ(log_.CountContaining("[TNGlobal::LoadImageFromFile] File not found: images/missing.png"), 1);
}

TEST_F(ImageTableTest, BlankImagesAreFilledAndReplacedInTheirSlot)
{
    plat::TImage* first = ImageTable.CreateBlankImage("bg", 0, 3, plat::RGB(10, 20, 30));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ImageTable.Image(1), first);
    EXPECT_EQ(first->Width(), 1);
    EXPECT_EQ(first->Picture().Width(), 1);
    EXPECT_EQ(PixelOf(first, 0, 2), plat::RGB(10, 20, 30));

    plat::TWeakRef<plat::TImage> firstRef(first);
    plat::TImage* second = ImageTable.CreateBlankImage("bg", 4, 4, plat::RGB(200, 0, 0));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(firstRef.Get(), nullptr);
    EXPECT_EQ(ImageTable.Image(1), second);
    EXPECT_EQ(ImageTable.ImagesCount(), 2);
    EXPECT_EQ(PixelOf(second, 3, 3), plat::RGB(200, 0, 0));
    EXPECT_EQ(ImageTable.GetImage("bg"), second);
}

// Without a main form the table owns its images; replacing one must not leave
// the table a second owner that frees it again at the end of the run.
TEST_F(ImageTableTest, ImagesMadeWithoutAMainFormAreFreedOnce)
{
    auto mainForm = ViewMainHooks.MainForm;
    ViewMainHooks.MainForm = [] { return static_cast<plat::TForm*>(nullptr); };
    plat::TWeakRef<plat::TImage> first(ImageTable.CreateBlankImage("bg", 2, 2, plat::clRed));
    plat::TWeakRef<plat::TImage> second(ImageTable.CreateBlankImage("bg", 3, 3, plat::clBlue));
    plat::TWeakRef<plat::TImage> other(ImageTable.CreateBlankImage("other", 1, 1, plat::clRed));
    ViewMainHooks.MainForm = mainForm;
    EXPECT_EQ(first.Get(), nullptr);
    ASSERT_NE(second.Get(), nullptr);
    ASSERT_NE(other.Get(), nullptr);

    ImageTable.Clear();
    EXPECT_EQ(second.Get(), nullptr);
    EXPECT_EQ(other.Get(), nullptr);
    EXPECT_EQ(ImageTable.ImagesCount(), 0);
}

TEST_F(ImageTableTest, AMissingOrDamagedProgramPictureIsToldOnceByNameEvenWhenFoundBeforeTheLogOpened)
{
    plat::TPicture picture;
    ASSERT_TRUE(TNImageTable::LoadProgramPicture(picture, "images/sample.png"));
    const plat::TGraphic* loaded = picture.Graphic();
    // Early in start-up the log is not open yet.
    App.WriteLog = 0;
    EXPECT_FALSE(TNImageTable::LoadProgramPicture(picture, "images/gone.png"));
    App.WriteLog = 1;
    TNImageTable::TellPictureProblems();
    for (int again = 0; again < 2; ++again) {
        EXPECT_FALSE(TNImageTable::LoadProgramPicture(picture, "images/truncated.png"));
        EXPECT_FALSE(TNImageTable::LoadProgramPicture(picture, "images/gone.png"));
        TNImageTable::TellPictureProblems();
    }
    // The picture keeps what it had.
    EXPECT_EQ(picture.Graphic(), loaded);
    EXPECT_EQ(log_.CountContaining(("File not found: " + program_.Path() + "images/gone.png").c_str()), 1);
    EXPECT_EQ(log_.CountContaining(("Picture cannot be read: " + program_.Path() + "images/truncated.png").c_str()), 1);
    EXPECT_EQ(log_.CountContaining("EXCEPTION"), 0);
}

TEST_F(ImageTableTest, MissesWithoutAFallbackShareOneImage)
{
    ASSERT_TRUE(ImageTable.Resize(1));
    // Slot 0 unusable: its image went with its owner.
    ImageTable.Image(0)->Free();
    plat::TImage* first = ImageTable.GetImage("x");
    plat::TImage* second = ImageTable.GetImage("y");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->Width(), 16);
    EXPECT_EQ(ImageTable.GetImage("z", true), nullptr);
    EXPECT_EQ(log_.CountContaining("[TNGlobal::GetImage][END] NULL; name = x"), 1);
}

TEST_F(ImageTableTest, SetIconCopiesThePictureAndItsSize)
{
    ASSERT_NE(ImageTable.LoadImage("imgIcon", "images/photo.jpg"), nullptr);
    TNViewItem* button = View.CreateComponent(cmpButton, "btn", MainForm(), Desk(), 0, "", 1, -1, nullptr, nullptr, 3);
    ASSERT_NE(button, nullptr);
    plat::TImage* icon = button->Images[1].Get();
    icon->SetBounds(5, 6, 1, 1);

    EXPECT_TRUE(button->SetIcon("imgIcon", false));
    EXPECT_EQ(button->IconShown, 0);
    EXPECT_TRUE(button->SetIcon("imgIcon", true));
    EXPECT_EQ(button->IconShown, 1);
    EXPECT_EQ(icon->BoundsRect(), plat::Bounds(5, 6, 16, 8));
    EXPECT_NE(icon->Picture().Graphic(), ImageTable.GetImage("imgIcon")->Picture().Graphic());

    EXPECT_FALSE(button->SetIcon("imgUnknown", true));
    EXPECT_EQ(log_.CountContaining("[TNViewItem::SetIcon][ERROR][NULL] image_name = imgUnknown"), 1);
    EXPECT_FALSE(button->SetIcon(static_cast<plat::TImage*>(nullptr), true));
    EXPECT_EQ(log_.CountContaining("[TNViewItem::SetIcon][ERROR][NULL] img = NULL"), 1);
}

TEST_F(ImageTableTest, TheModelsPicturesLoadThroughTheLayer)
{
    TNModelImage* picture = LoadModelImage((program_.Path() + "images/photo.jpg").c_str());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Picture().Width(), 16);
    FreeModelImage(picture);
    EXPECT_EQ(LoadModelImage((program_.Path() + "images/truncated.png").c_str()), nullptr);
    EXPECT_EQ(LoadModelImage((program_.Path() + "images/none.png").c_str()), nullptr);
}

// Profile pictures under the data set's user folder.
class ProfilePictureTest : public ViewTest {
protected:
    std::string Folder(uint32_t user) const
    {
        return set_.UserFolder() + set_.Domain() + "/Profiles/" + std::to_string(user) + "/";
    }
    void Put(uint32_t user, const std::string& name, const std::string& fixture)
    {
        fs::create_directories(Folder(user));
        fs::copy_file(fixture, Folder(user) + name, fs::copy_options::overwrite_existing);
    }

    model_test::DataSet set_;
};

TEST_F(ProfilePictureTest, LoadsTheWidthVariantOnceAndDropsAStaleFullPicture)
{
    model_test::ActiveUser user(501);
    g.UpdateAccount([](TNAccount& account) { account.ProfilePictureFetched = 7; });
    EXPECT_EQ(ImageTable.getUserProfilePictureByWidth(50), nullptr);

    Put(501, "501-w48.jpg", kPhoto);
    plat::TImage* picture = ImageTable.getUserProfilePictureByWidth(48);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Picture().Width(), 16);
    EXPECT_EQ(ImageTable.getUserProfilePictureByWidth(48), picture);

    Put(501, "501.jpg", kPhoto);
    EXPECT_EQ(ImageTable.getUserProfilePictureByWidth(32), nullptr);
    EXPECT_FALSE(fs::exists(Folder(501) + "501.jpg"));
    EXPECT_EQ(g.Account().ProfilePictureFetched, 0u);
    EXPECT_EQ(log_.CountContaining("[TNGlobal::getUserProfilePictureByWidth][ERROR][NULL] Not loaded"), 1);
}

TEST_F(ProfilePictureTest, AnotherUsersSignInLoadsTheSlotAgain)
{
    Put(501, "501-w48.jpg", kPhoto);
    Put(502, "502-w48.jpg", kPortraitB);
    plat::TImage* first = nullptr;
    {
        model_test::ActiveUser user(501);
        first = ImageTable.getUserProfilePictureByWidth(48);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->Picture().Width(), 16);
    }
    EXPECT_EQ(ImageTable.getUserProfilePictureByWidth(48), nullptr);
    EXPECT_EQ(log_.CountContaining("[Sync2GetActualUserProfilePicture][ERROR] g.ActiveUserExists = false"), 1);
    model_test::ActiveUser other(502);
    plat::TImage* second = ImageTable.getUserProfilePictureByWidth(48);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Picture().Width(), 32);
}

TEST_F(ProfilePictureTest, OrganizerIconFallsBackByType)
{
    // Which pictures exist: the organizer's own, the user's, the owner
    // contact's, the blank header, the no-icon image.
    struct Case {
        uint32_t type;
        bool own, user, owner, blank, noIcon;
        const char* expected; // "own", "user", "owner", a table name or ""
    };
    const Case cases[] = {
        {1, true, true, false, true, true, "own"},
        {1, false, true, false, true, true, "user"},
        {10, false, true, false, true, true, "user"},
        {1, false, false, false, true, true, "imgOrganizerNoIcon48"},
        {20, false, true, true, true, true, "owner"},
        {20, false, true, false, true, true, "imgUserPhotoBlankHeader48"},
        {20, false, false, false, false, true, "imgOrganizerNoIcon48"},
        {5, false, true, true, true, true, "imgOrganizerNoIcon48"},
        {5, false, false, false, false, false, ""},
    };
    model_test::ActiveUser user(501);
    TNPIMOrganizers& organizers = set_.Pim().Organizers;
    set_.Pim().Contacts.Init();
    ASSERT_TRUE(set_.Pim().Contacts.Resize(1));
    set_.Pim().Contacts.Items[0]->ContactUserID = 600;
    set_.Pim().Contacts.Items[0]->ProfilePicture = 600;
    ASSERT_TRUE(organizers.Resize(1));
    TNPIMOrganizer* organizer = organizers.Items[0];
    organizer->ID = 70;
    organizer->CalendarIcon = 9;
    organizer->UserID = 600;
    const std::string ownFolder = set_.UserFolder() + set_.Domain() + "/Organizers/70/";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " expects " << c.expected);
        ImageTable.Clear();
        organizers.DestroyImages();
        for (TNModelImage*& picture : set_.Pim().Contacts.Items[0]->Images) {
            FreeModelImage(picture);
            picture = nullptr;
        }
        fs::remove_all(set_.UserFolder() + set_.Domain());
        fs::create_directories(ownFolder);
        if (c.own)
            fs::copy_file(kPortraitA, ownFolder + "9-w48.jpg");
        if (c.user)
            Put(501, "501-w48.jpg", kPhoto);
        if (c.owner)
            Put(600, "600-w48.jpg", kPortraitB);
        ImageTable.CreateBlankImage("spare", 1, 1, 0);
        if (c.blank)
            ImageTable.CreateBlankImage("imgUserPhotoBlankHeader48", 2, 2, 0);
        if (c.noIcon)
            ImageTable.CreateBlankImage("imgOrganizerNoIcon48", 3, 3, 0);
        organizer->Type = c.type;
        plat::TImage* image = ImageTable.GetOrganizerIconImage(&organizers, organizer, 48);
        std::string expected = c.expected;
        if (expected.empty()) {
            EXPECT_EQ(image, nullptr);
            continue;
        }
        ASSERT_NE(image, nullptr);
        if (expected == "own")
            EXPECT_EQ(image->Picture().Width(), 24);
        else if (expected == "user")
            EXPECT_EQ(image->Picture().Width(), 16);
        else if (expected == "owner")
            EXPECT_EQ(image->Picture().Width(), 32);
        else
            EXPECT_EQ(image, ImageTable.GetImage(expected.c_str(), true));
    }
    EXPECT_EQ(ImageTable.GetOrganizerIconImage(nullptr, organizer, 48), nullptr);
    EXPECT_EQ(ImageTable.GetOrganizerIconImage(&organizers, nullptr, 48), nullptr);
}

} // namespace
} // namespace view_test
