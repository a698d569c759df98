#include "model/hooks.h"

TNModelHooks ModelHooks;

TNModelImage* LoadModelImage(const char* path)
{
    if (ModelHooks.LoadImage == nullptr || path == nullptr) {
        return nullptr;
    }
    return ModelHooks.LoadImage(path);
}

void FreeModelImage(TNModelImage* image)
{
    if (image != nullptr && ModelHooks.FreeImage != nullptr) {
        ModelHooks.FreeImage(image);
    }
}

void NotifyShownDataReplaced()
{
    if (ModelHooks.ShownDataReplaced != nullptr) {
        ModelHooks.ShownDataReplaced();
    }
}

void NotifySaveFinished()
{
    if (ModelHooks.SaveFinished != nullptr) {
        ModelHooks.SaveFinished();
    }
}
