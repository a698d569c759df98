#include "view/image_table.h"

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/program_start.h"
#include "foundation/users.h"
#include "model/contacts.h"
#include "model/hooks.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "online/global.h"
#include "platform/core/clock.h"
#include "platform/core/file.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/form.h"
#include "view/hooks.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

TNImageTable ImageTable;

namespace {

constexpr const char* kFallbackName = "imgFallback";

bool IsEmptyName(const char* name)
{
    return name == nullptr || name[0] == '\0';
}

bool HintIs(const plat::TImage* image, const char* name)
{
    return image != nullptr && name != nullptr && image->Hint() == name;
}

// A slot the second pass of FindImageSlot may take.
bool IsFreeSlot(const plat::TImage* image)
{
    return image == nullptr || image->Tag() != 0 || image->Hint().empty();
}

TNModelImage* LoadModelPicture(const char* path)
{
    if (path == nullptr || !plat::FileExists(path))
        return nullptr;
    auto* image = new TNModelImage();
    try {
        image->Picture().LoadFromFile(path);
    } catch (const std::exception&) {
        image->Free();
        return nullptr;
    }
    image->SetAutoSize(true);
    return image;
}

void FreeModelPicture(TNModelImage* image)
{
    if (image != nullptr)
        image->Free();
}

} // namespace

TNImageTable::~TNImageTable()
{
    Clear();
}

void TNImageTable::Clear()
{
    images_.clear();
    orphans_.clear();
    missImage_ = nullptr;
    for (int32_t i = 0; i < kUserPictureSlots; ++i) {
        userPictures_[i].reset();
        userPictureOwners_[i] = 0;
    }
}

plat::TImage* TNImageTable::Image(int32_t slot) const
{
    if (slot < 0 || slot >= ImagesCount())
        return nullptr;
    return images_[static_cast<size_t>(slot)].Get();
}

plat::TImage* TNImageTable::NewImage(const char* name)
{
    plat::TForm* owner = ViewMain::MainForm();
    auto* image = new plat::TImage(owner);
    if (owner == nullptr)
        orphans_.emplace_back(image);
    image->SetVisible(false);
    image->SetTransparent(false);
    if (name != nullptr)
        image->SetHint(name);
    return image;
}

// An image made while no main form existed is owned by the table: it leaves
// that list as it is freed, so the table's own clean-up never frees it again.
void TNImageTable::FreeImage(plat::TImage* image)
{
    auto orphan = std::find_if(orphans_.begin(), orphans_.end(),
                               [image](const plat::TOwned<plat::TImage>& owned) { return owned.get() == image; });
    if (orphan != orphans_.end())
        orphans_.erase(orphan);
    else
        image->Free();
}

bool TNImageTable::Resize(int32_t n)
{
    return Guarded("[ResizeListOfLoadedImages::Resize]", false, [&] {
        if (n <= 0) {
            images_.clear();
            return true;
        }
        try {
            size_t old = images_.size();
            images_.resize(static_cast<size_t>(n));
            for (size_t i = old; i < images_.size(); ++i)
                images_[i] = NewImage(nullptr);
        } catch (const std::bad_alloc&) {
            LogWrite("[ResizeListOfLoadedImages::Resize] ", "ERROR", false);
            return false;
        }
        return true;
    });
}

bool TNImageTable::EnsureFallbackSlot()
{
    if (!images_.empty())
        return true;
    if (!Resize(1))
        return false;
    images_[0].Get()->SetHint(kFallbackName);
    return true;
}

// A miss with no usable slot 0: one image for every such miss, kept here,
// so that misses do not pile up images for the rest of the run.
plat::TImage* TNImageTable::MissFallback()
{
    if (missImage_.Get() == nullptr) {
        plat::TImage* image = NewImage(nullptr);
        image->SetBounds(0, 0, 16, 16);
        missImage_ = image;
    }
    return missImage_.Get();
}

plat::TImage* TNImageTable::GetImage(const char* name, bool noFallback)
{
    return Guarded("[TNGlobal::GetImage]", static_cast<plat::TImage*>(nullptr), [&]() -> plat::TImage* {
        if (images_.empty())
            return nullptr;
        if (name == nullptr) {
            LogText("[TNGlobal::GetImage][ERROR] name = NULL");
            return nullptr;
        }
        if (name[0] == '\0') {
            LogTextInt("[TNGlobal::GetImage][ERROR] strlen(name) = ", 0);
            return nullptr;
        }
        for (int32_t i = 0; i < ImagesCount(); ++i) {
            plat::TImage* image = Image(i);
            if (image == nullptr) {
                LogTextInt("[TNGlobal::GetImage][ERROR][NULL] aa = ", i);
                LogWrite("[TNGlobal::GetImage][ERROR][NULL] name ", name, false);
                continue;
            }
            if (HintIs(image, name))
                return image;
        }
        if (Image(0) != nullptr) {
            if (noFallback)
                return nullptr;
            LogWrite("[TNGlobal::GetImage][END] Images[0] name = ", name, false);
            return Image(0);
        }
        LogTextInt("[TNGlobal::GetImage][ERROR] ImagesCount = ", ImagesCount());
        LogWrite("[TNGlobal::GetImage][END] NULL; name = ", name, false);
        if (noFallback)
            return nullptr;
        plat::TImage* fallback = MissFallback();
        if (fallback == nullptr)
            LogText("[TNGlobal::GetImage][FATAL][ERROR][END][NULL]");
        return fallback;
    });
}

int32_t TNImageTable::FindImageSlot(const char* name) const
{
    if (name == nullptr)
        return -1;
    for (int32_t i = 0; i < ImagesCount(); ++i) {
        plat::TImage* image = Image(i);
        if (HintIs(image, name) && image->Tag() == 0)
            return i;
    }
    for (int32_t i = 0; i < ImagesCount(); ++i) {
        if (IsFreeSlot(Image(i)))
            return i;
    }
    return -1;
}

plat::TImage* TNImageTable::LoadImage(const char* name, const char* fileName)
{
    return LoadImageFromFile(name != nullptr ? name : "", fileName != nullptr ? fileName : "");
}

std::string TNImageTable::PictureFilePath(const char* fileName)
{
    std::string path = fileName != nullptr ? fileName : "";
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    if (!path.empty() && path[0] == '/')
        return path;
    if (path.rfind("Images/", 0) == 0)
        path[0] = 'i';
    return GetProgramFolder() + path;
}

namespace {

// The problems of program pictures, each told once. One found before the log
// is open waits until a later load or TellPictureProblems.
struct PictureProblems {
    std::mutex mutex;
    std::map<std::string, const char*> waiting;
    std::set<std::string> told;

    void Add(const std::string& path, const char* problem)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (told.count(path) == 0)
            waiting.emplace(path, problem);
    }
    void Tell()
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto it = waiting.begin(); it != waiting.end();) {
            if (!LogWrite(it->second, it->first.c_str(), false))
                return;
            told.insert(it->first);
            it = waiting.erase(it);
        }
    }
};

PictureProblems& Problems()
{
    static PictureProblems problems;
    return problems;
}

} // namespace

bool TNImageTable::LoadProgramPicture(plat::TPicture& picture, const char* file)
{
    const std::string path = PictureFilePath(file);
    if (!plat::FileExists(path)) {
        Problems().Add(path, "[LoadProgramPicture] File not found: ");
    } else {
        try {
            picture.LoadFromFile(path);
            return true;
        } catch (const std::exception&) {
            Problems().Add(path, "[LoadProgramPicture] Picture cannot be read: ");
        }
    }
    Problems().Tell();
    return false;
}

void TNImageTable::TellPictureProblems()
{
    Problems().Tell();
}

plat::TImage* TNImageTable::LoadImageFromFile(const char* name, const char* fileName)
{
    return Guarded("[TNGlobal::LoadImageFromFile]", static_cast<plat::TImage*>(nullptr), [&]() -> plat::TImage* {
        if (IsEmptyName(name))
            LogText("[g.LoadImageFromFile][ERROR][IMAGE_NAME_ERROR]");
        if (!EnsureFallbackSlot())
            return nullptr;
        std::string path = PictureFilePath(fileName);
        if (!plat::FileExists(path)) {
            LogWrite("[TNGlobal::LoadImageFromFile] File not found: ", fileName != nullptr ? fileName : "", false);
            return nullptr;
        }
        int32_t slot = FindImageSlot(name);
        if (slot < 0) {
            if (!Resize(ImagesCount() + 1))
                return nullptr;
            slot = ImagesCount() - 1;
        }
        plat::TImage* image = Image(slot);
        if (image == nullptr) {
            image = NewImage(nullptr);
            images_[static_cast<size_t>(slot)] = image;
        }
        if (!HintIs(image, name)) {
            image->SetHint(name != nullptr ? name : "");
            image->SetTag(0);
        }
        // A picture that cannot be decoded throws and leaves the old one.
        image->Picture().LoadFromFile(path);
        return image;
    });
}

plat::TImage* TNImageTable::CreateBlankImage(const char* name, int32_t width, int32_t height, plat::TColor color)
{
    return Guarded("[TNGlobal::CreateBlankImage]", static_cast<plat::TImage*>(nullptr), [&]() -> plat::TImage* {
        if (IsEmptyName(name))
            LogText("[g.CreateBlankImage][ERROR][IMAGE_NAME_ERROR]");
        if (!EnsureFallbackSlot())
            return nullptr;
        int32_t slot = FindImageSlot(name);
        if (slot >= 0) {
            if (plat::TImage* old = Image(slot); old != nullptr) {
                old->SetTag(plat::UnixSeconds());
                old->SetHint("");
                FreeImage(old);
            }
            images_[static_cast<size_t>(slot)] = nullptr;
        } else if (Resize(ImagesCount() + 1)) {
            slot = ImagesCount() - 1;
            if (plat::TImage* spare = Image(slot); spare != nullptr)
                FreeImage(spare);
        } else {
            LogText("[TNGlobal::CreateBlankImage][END][ERROR] NULL");
            return nullptr;
        }
        width = width < 1 ? 1 : width;
        height = height < 1 ? 1 : height;
        plat::TImage* image = NewImage(name != nullptr ? name : "");
        image->SetCenter(false);
        image->SetTag(0);
        image->SetBounds(0, 0, width, height);
        plat::TBitmap& bitmap = image->Picture().Bitmap();
        bitmap.SetSize(width, height);
        plat::TCanvas& canvas = bitmap.Canvas();
        canvas.Pen.Color = color;
        canvas.Brush.Color = color;
        canvas.Brush.Style = plat::TBrushStyle::bsSolid;
        canvas.FillRect(plat::Rect(0, 0, width, height));
        images_[static_cast<size_t>(slot)] = image;
        LogWrite("[TNGlobal::CreateBlankImage] Images[pos]->Hint = ", name != nullptr ? name : "", false);
        LogTextInt("[TNGlobal::CreateBlankImage][END] Images[pos] pos = ", slot);
        return image;
    });
}

plat::TImage* TNImageTable::LoadUserPicture(int32_t slot, uint32_t userId, int32_t width)
{
    std::string folder = std::string(Dirs.UserDir.Text != nullptr ? Dirs.UserDir.Text : "") + App.WebDomain[0];
    char tail[64];
    std::snprintf(tail, sizeof tail, "/Profiles/%u/", userId);
    folder += tail;
    std::snprintf(tail, sizeof tail, "%u-w%d.jpg", userId, width);
    std::string path = folder + tail;
    if (plat::FileExists(path)) {
        if (userPictures_[slot] == nullptr)
            userPictures_[slot].reset(new plat::TImage(nullptr));
        userPictures_[slot]->Picture().LoadFromFile(path);
        userPictureOwners_[slot] = userId;
        return userPictures_[slot].get();
    }
    LogWrite("[TNGlobal::getUserProfilePictureByWidth][ERROR][NULL] Not loaded full_requested_image_path = ",
             path.c_str(), false);
    userPictures_[slot].reset();
    userPictureOwners_[slot] = 0;
    std::snprintf(tail, sizeof tail, "%u.jpg", userId);
    std::string full = folder + tail;
    if (plat::FileExists(full)) {
        plat::RemoveFile(full);
        g.UpdateAccount([](TNAccount& account) { account.ProfilePictureFetched = 0; });
    }
    return nullptr;
}

plat::TImage* TNImageTable::getUserProfilePictureByWidth(int32_t width)
{
    return Guarded(
        "[TNGlobal::getUserProfilePictureByWidth]", static_cast<plat::TImage*>(nullptr), [&]() -> plat::TImage* {
            if (!g.ActiveUserExists()) {
                LogText("[Sync2GetActualUserProfilePicture][ERROR] g.ActiveUserExists = false");
                return nullptr;
            }
            uint32_t userId = Uzivatele.ActiveUserID();
            TNPIM* pim = PIM[0];
            if (pim == nullptr)
                return nullptr;
            const TNPIMContacts& contacts = pim->Contacts;
            for (int32_t i = 0; i < kUserPictureSlots; ++i) {
                if (contacts.ImageWidths[i] != width || width <= 0)
                    continue;
                plat::TImage* cached = userPictures_[i].get();
                // Slots outlive a log-out: another user's picture is stale.
                if (cached != nullptr && userPictureOwners_[i] == userId && cached->Picture().Graphic() != nullptr)
                    return cached;
                if (plat::TImage* loaded = LoadUserPicture(i, userId, width))
                    return loaded;
            }
            return nullptr;
        });
}

plat::TImage* TNImageTable::GetOrganizerIconImage(TNPIMOrganizers* organizers, TNPIMOrganizer* organizer, int32_t width)
{
    return Guarded("[TNGlobal::GetOrganizerIconImage]", static_cast<plat::TImage*>(nullptr), [&]() -> plat::TImage* {
        if (organizers == nullptr || organizer == nullptr)
            return nullptr;
        if (TNModelImage* own = organizers->getImageByWidth(organizer, width))
            return own;
        char name[64];
        if (organizer->Type == 1 || organizer->Type == 10) {
            if (plat::TImage* user = getUserProfilePictureByWidth(width))
                return user;
        } else if (organizer->Type == 20) {
            int32_t position = organizer->pim_srv_pos;
            TNPIM* pim = position >= 0 && position < kMaxPimServers ? PIM[position] : nullptr;
            if (pim != nullptr) {
                if (TNModelImage* owner = pim->Contacts.getImageByWidth(organizer->UserID, width))
                    return owner;
            }
            std::snprintf(name, sizeof name, "imgUserPhotoBlankHeader%d", width);
            if (plat::TImage* blank = GetImage(name, true))
                return blank;
        }
        std::snprintf(name, sizeof name, "imgOrganizerNoIcon%d", width);
        return GetImage(name, true);
    });
}

void InstallImageHooks()
{
    ModelHooks.LoadImage = [](const char* path) -> TNModelImage* { return LoadModelPicture(path); };
    ModelHooks.FreeImage = [](TNModelImage* image) { FreeModelPicture(image); };
}
