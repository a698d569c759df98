#pragma once

// Calls from the data model up into the view layer. The model may not include
// GUI code; the view layer fills these at start-up and tests fill them with
// fakes. An unset hook does nothing.

// A decoded picture as the view layer holds it; the model only passes it on.
struct TNModelImage;

struct TNModelHooks {
    // Loads a picture file; null when the file is missing or not a picture.
    TNModelImage* (*LoadImage)(const char* path) = nullptr;
    // Frees a picture that LoadImage gave.
    void (*FreeImage)(TNModelImage* image) = nullptr;
    // The records the views list were freed and replaced (load, log-out):
    // the views rebuild their lists.
    void (*ShownDataReplaced)() = nullptr;
    // A save of a data set ended (written or not): whoever waits for the
    // data set to be free goes on.
    void (*SaveFinished)() = nullptr;
};

extern TNModelHooks ModelHooks;

// Loads through the hook; null when no hook is set.
TNModelImage* LoadModelImage(const char* path);
// Frees through the hook; a null image or an unset hook does nothing.
void FreeModelImage(TNModelImage* image);
// Tells the views through the hook; nothing when no hook is set.
void NotifyShownDataReplaced();
// Tells the waiting side through the hook; nothing when no hook is set.
void NotifySaveFinished();
