#include "platform/core/file.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/form.h"
#include "platform/gui/image.h"
#include "platform/gui/picture.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace plat {
namespace {

class Pictures : public testing::OffscreenGuiTest {
protected:
    static std::string Data(const char* name) { return std::string(DALMORA_TEST_DATA_DIR) + name; }

    // The colour of a picture's pixel, drawn on white.
    static TColor PixelOf(const TPicture& picture, int x, int y)
    {
        TBitmap bitmap;
        bitmap.SetSize(picture.Width(), picture.Height());
        bitmap.Canvas().Draw(0, 0, *picture.Graphic());
        return bitmap.Canvas().Pixel(x, y);
    }
};

TEST_F(Pictures, EveryFormatLoadsWithItsSizeAndPixels)
{
    struct Case {
        const char* file;
        int width;
        int height;
        TPoint probe;
        TColor colour;
        int tolerance;
    };
    const Case cases[] = {
        {"sample.png", 3, 2, {2, 0}, RGB(0, 0, 255), 0},
        {"photo.jpg", 16, 8, {5, 5}, RGB(40, 90, 200), 6},
        {"glyph.bmp", 8, 6, {3, 3}, RGB(0, 0, 0), 0},
        {"sample.gif", 5, 4, {3, 1}, RGB(0, 255, 0), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TPicture picture;
        picture.LoadFromFile(Data(c.file));
        ASSERT_NE(picture.Graphic(), nullptr);
        EXPECT_EQ(picture.Width(), c.width);
        EXPECT_EQ(picture.Height(), c.height);
        const TColor got = PixelOf(picture, c.probe.x, c.probe.y);
        for (unsigned (*channel)(TColor) : {GetRValue, GetGValue, GetBValue})
            EXPECT_LE(std::abs(static_cast<int>(channel(got)) - static_cast<int>(channel(c.colour))), c.tolerance);
    }
}

TEST_F(Pictures, GifGoesThroughGiflibWhateverTheExtensionCase)
{
    const std::string upper = ::testing::TempDir() + "/SAMPLE.GIF";
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(Data("sample.gif"), bytes));
    ASSERT_TRUE(WriteFileAtomically(upper, bytes));
    const int before = GifDecoderCalls();
    TPicture picture;
    picture.LoadFromFile(upper);
    EXPECT_EQ(GifDecoderCalls(), before + 1);
    EXPECT_EQ(picture.Graphic()->Format(), TGraphicFormat::Gif);
    RemoveFile(upper);
}

TEST_F(Pictures, BadFilesThrowAndKeepTheOldPicture)
{
    const char* bad[] = {"truncated.png", "huge.png", "huge.gif", "gif_named.jpg", "missing.png", "sample.tiff"};
    for (const char* file : bad) {
        SCOPED_TRACE(file);
        TPicture picture;
        picture.LoadFromFile(Data("sample.png"));
        EXPECT_THROW(picture.LoadFromFile(Data(file)), EPictureError);
        ASSERT_NE(picture.Graphic(), nullptr);
        EXPECT_EQ(picture.Width(), 3);
        EXPECT_EQ(PixelOf(picture, 0, 0), clRed);
    }
}

TEST_F(Pictures, AssignCopiesAndAnImageShowsItsPictureReplacedInPlace)
{
    TPicture first;
    first.LoadFromFile(Data("sample.png"));
    TPicture copy;
    copy.Assign(first);
    first.LoadFromFile(Data("glyph.bmp"));
    EXPECT_EQ(copy.Width(), 3) << "a copy keeps its own pixels";

    TOwned<TForm> form(new TForm);
    form->SetColor(clWhite);
    auto* image = new TImage(form.get());
    image->SetAutoSize(true);
    image->SetParent(form.get());
    image->Picture().LoadFromFile(Data("sample.png"));
    EXPECT_EQ(image->Width(), 3);
    form->Show();
    testing::Flush();
    EXPECT_EQ(testing::Probe(*image, 0, 0), clRed);
    image->Picture().LoadFromFile(Data("sample.gif"));
    testing::Flush();
    EXPECT_EQ(image->Width(), 5);
    EXPECT_EQ(testing::Probe(*image, 1, 0), clRed);
    EXPECT_EQ(testing::Probe(*image, 0, 0), clWhite) << "transparent GIF pixels show the form";
}

// Mutated GIF and BMP files reach the decoders; they may refuse them, never
// crash. DALMORA_PICTURE_FUZZ_RUNS sets the number (100,000 for a long run).
TEST_F(Pictures, MutatedFilesNeverCrashTheDecoders)
{
    const char* runsText = std::getenv("DALMORA_PICTURE_FUZZ_RUNS");
    const int runs = runsText != nullptr ? std::atoi(runsText) : 10000;
    std::mt19937 random(1234);
    for (const auto& [file, format] :
         {std::pair{"sample.gif", TGraphicFormat::Gif}, std::pair{"glyph.bmp", TGraphicFormat::Bitmap}}) {
        std::string seed;
        ASSERT_TRUE(ReadWholeFile(Data(file), seed));
        int decoded = 0;
        for (int run = 0; run < runs / 2; ++run) {
            std::string bytes = seed;
            const int flips = 1 + static_cast<int>(random() % 6);
            for (int i = 0; i < flips; ++i)
                bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
            if (random() % 8 == 0)
                bytes.resize(random() % bytes.size());
            TPicture picture;
            try {
                picture.LoadFromBytes(bytes, format);
                ++decoded;
                EXPECT_LE(picture.Width(), kMaxPictureSide);
            } catch (const EPictureError&) {
                EXPECT_EQ(picture.Graphic(), nullptr);
            }
        }
        EXPECT_GT(decoded, 0) << file << ": some mutations still decode";
    }
}

} // namespace
} // namespace plat
