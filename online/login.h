#pragma once

#include "foundation/string.h"
#include "platform/core/thread.h"

#include <cstdint>
#include <memory>

class TNPIMRecord;

// The background job thread: one job, chosen by Tag, then the object frees
// itself. The starter creates it (suspended), sets Tag and the fields the
// job reads, and calls Resume; it never waits for the job.
//
//   1 sign-in (Username, Password)       2 load the local data
//   3 statistics request                 4 fetch the edited record
//   5 delete a recurring series          6 pictures of the shown data
//   7 search                             8 postpone an alert
//   9 pictures of one record             10 subscribe to or leave an
//                                           organizer (OrganizerID, Value 1
//                                           subscribe / 0 leave)
//
// Jobs 1, 2, 4, 6, 7, 9 and 10 run at most once at a time: a second start
// while one runs ends at once.
class TLogin : public plat::TThread {
public:
    int32_t DialogIndex = -1;
    int32_t Tag = 0;
    int32_t pim_srv_pos = 0;
    TNString Username;
    TNString Password;
    // Job 4: the identity of the waiting dialog (see TNDialogHooks) and a
    // copy of the record as the dialog opened it.
    uint64_t DialogId = 0;
    std::unique_ptr<TNPIMRecord> EditedRecord;
    uint32_t RecordID = 0;
    uint32_t AlertID = 0;
    uint32_t AlertUserID = 0;
    uint32_t OrganizerID = 0;
    int32_t AlertType = 0;
    int32_t Value = 0;

    TLogin();
    ~TLogin() override;

protected:
    void Execute() override;
    // Runs the job of Tag; tests replace it to see the guard around it.
    virtual void RunJob();

private:
    void PicturesOfShownData();
    void PicturesOfOneRecord();
    void SignIn();
    void LoadLocalData();
    void LoadOneRecord();
    void SendNewAccountStats();
    void DeleteRecurringSeries();
    void Search();
    void PostponeAlert();
    void SubscribeOrganizer();
    static void ProgressCallback(uint16_t tag, int32_t done, int32_t total);
};
