#pragma once

#include "platform/gui/component.h"
#include "platform/gui/image.h"
#include "platform/gui/picture.h"
#include "platform/gui/types.h"

#include <cstdint>
#include <string>
#include <vector>

class TNPIMOrganizer;
class TNPIMOrganizers;

// A picture the model holds (organizer and contact pictures): a layer image
// without owner, so it converts to the image components draw.
struct TNModelImage : plat::TImage {
    TNModelImage() : plat::TImage(nullptr) {}
};

// The named pictures every component draws: icons, marks, blank
// backgrounds and portraits. Each image is hidden, carries its name in its
// Hint and belongs to the main form; slot 0 is always "imgFallback". Main
// thread only.
class TNImageTable {
public:
    static constexpr int32_t kUserPictureSlots = 16;

    TNImageTable() = default;
    ~TNImageTable();
    TNImageTable(const TNImageTable&) = delete;
    TNImageTable& operator=(const TNImageTable&) = delete;

    // n <= 0 forgets every slot (the main form frees the images); otherwise
    // the table gets n slots, new ones with a new nameless image.
    bool Resize(int32_t n);
    int32_t ImagesCount() const { return static_cast<int32_t>(images_.size()); }
    plat::TImage* Image(int32_t slot) const;

    plat::TImage* GetImage(const char* name, bool noFallback = false);
    int32_t FindImageSlot(const char* name) const;
    plat::TImage* LoadImage(const char* name, const char* fileName);
    plat::TImage* LoadImageFromFile(const char* name, const char* fileName);
    // Filled with one colour; whoever draws text on it sets the font.
    plat::TImage* CreateBlankImage(const char* name, int32_t width, int32_t height, plat::TColor color);

    plat::TImage* getUserProfilePictureByWidth(int32_t width);
    plat::TImage* GetOrganizerIconImage(TNPIMOrganizers* organizers, TNPIMOrganizer* organizer, int32_t width);

    // Everything back to an empty table: the named images are forgotten
    // (their owner frees them), the user pictures and the fallback freed.
    void Clear();

    // Where a picture file named by the program lies: "images\x" and
    // "Images\x" are both "<program folder>images/x"; absolute paths stay.
    static std::string PictureFilePath(const char* fileName);

    // Loads a picture file of the program folder ("images/...") into
    // `picture`. A file that is missing or cannot be decoded leaves the
    // picture as it was and logs one line naming it, the first time only,
    // so that a window made again or a repaint adds nothing; never throws.
    static bool LoadProgramPicture(plat::TPicture& picture, const char* file);
    // Logs the problems found before the log was open.
    static void TellPictureProblems();

private:
    plat::TImage* NewImage(const char* name);
    void FreeImage(plat::TImage* image);
    bool EnsureFallbackSlot();
    plat::TImage* MissFallback();
    plat::TImage* LoadUserPicture(int32_t slot, uint32_t userId, int32_t width);

    std::vector<plat::TWeakRef<plat::TImage>> images_;
    // Images made while no main form exists; the table frees them.
    std::vector<plat::TOwned<plat::TImage>> orphans_;
    // The one image a miss returns when slot 0 is unusable.
    plat::TWeakRef<plat::TImage> missImage_;
    plat::TOwned<plat::TImage> userPictures_[kUserPictureSlots];
    uint32_t userPictureOwners_[kUserPictureSlots] = {};
};

extern TNImageTable ImageTable;

// Fills the model's picture hooks with layer pictures.
void InstallImageHooks();
