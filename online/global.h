#pragma once

#include "foundation/info_messages.h"
#include "foundation/string.h"
#include "online/form_builder.h"
#include "online/object_data.h"
#include "online/request_queue.h"
#include "online/session_state.h"
#include "online/transport.h"
#include "online/ui_tag_queue.h"
#include "online/ui_tags.h"
#include "online/upload_backoff.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class TNDownload;
class TNModelWriteGuard;
class TNPIM;
class TNPIMOrganizer;
class TNPIMOrganizers;
class TNPIMRecord;
class TNPIMSharing;
struct TNUser;

// The account as the service last described it (sign-in and account
// answers). Kept together under one lock: the job and online threads write
// it, the main thread reads copies.
struct TNAccount {
    TNString UserName;
    TNString Email;
    TNString UserPath;
    TNString FirstName;
    TNString MiddleName;
    TNString LastName;
    // The names typed in the basic-profile dialog, until the service took
    // them.
    TNString NewFirstName;
    TNString NewLastName;
    // The password typed at sign-in, or the last confirmed new one.
    TNString Password;
    int32_t VirtualAccount = 0;
    int64_t EmailAuthTime = 0;
    TNString SecondaryEmail;
    int64_t SecondaryEmailAuthTime = 0;
    TNString TertiaryEmail;
    int64_t TertiaryEmailAuthTime = 0;
    uint32_t ProfilePicture = 0;
    // Picture id the own profile picture was last fetched for; 0 = fetch.
    uint32_t ProfilePictureFetched = 0;
    uint32_t UserOrganizerID = 0;
    // The message for the user; id 0 = none.
    uint32_t MessageID = 0;
    TNString MessageTitle;
    TNString MessageText;
    TNString MessageUrl;
    int32_t MessageType = 0;
    uint8_t UserCanChangeEmail = 0;
    uint8_t EnableSecondaryEmail = 0;
    uint8_t EnableTertiaryEmail = 0;
    uint8_t SendExtendedStats = 0;
    // Server statistics (operator accounts): users, API logins, data
    // updates, created accounts; today, 24 hours, 31 days.
    int32_t Statistics[12] = {};
};

// What the synchronisation moved since start, per collection code (the
// upload types, 10 for organizers): for summaries of runs without windows.
struct TNSyncCounters {
    static constexpr int32_t kCodes = 13;
    std::atomic<int32_t> Downloaded[kCodes] = {};
    std::atomic<int32_t> Uploaded[kCodes] = {};
    std::atomic<int32_t> Failed[kCodes] = {};
};

// Holds the model lock for a request that applies an answer; see
// TNGlobal::WaitUntilUiJobFinish. Releasing twice does nothing.
class TNSyncLock {
public:
    TNSyncLock() = default;
    TNSyncLock(TNSyncLock&& other) noexcept : held_(other.held_), generation_(other.generation_)
    {
        other.held_ = false;
    }
    TNSyncLock& operator=(TNSyncLock&&) = delete;
    ~TNSyncLock() { Release(); }
    void Release();
    // The answer belongs to a sign-in a log-out has ended since the post:
    // it must not be applied.
    bool Stale() const;

private:
    friend class TNGlobal;
    bool held_ = false;
    uint32_t generation_ = 0;
};

// Holds the model lock for a job of the user interface; see
// TNGlobal::WaitUntilSyncJobIsDone.
class TNUiJobLock {
public:
    TNUiJobLock(TNUiJobLock&& other) noexcept;
    TNUiJobLock& operator=(TNUiJobLock&&) = delete;
    ~TNUiJobLock();

private:
    friend class TNGlobal;
    TNUiJobLock(std::unique_ptr<TNModelWriteGuard> guard, bool setsUiRunning);
    std::unique_ptr<TNModelWriteGuard> guard_;
    bool setsUiRunning_ = false;
};

// The program's global object: the online state that the main thread, the
// online thread and the job thread share, every request to the account
// service and the UI-update tag queue. Shared bytes are atomics; texts live
// under locks.
class TNGlobal {
public:
    static constexpr int32_t kDefaultSyncInterval = 1200;
    static constexpr int32_t kFailedSyncInterval = 60;
    // What the service may set: a pass at most every second and at least
    // once a day; pages of 1 to 10,000 items. A value outside is clamped.
    static constexpr int32_t kShortestSyncInterval = 1;
    static constexpr int32_t kLongestSyncInterval = 86400;
    static constexpr int32_t kSmallestArrayLimit = 1;
    static constexpr int32_t kLargestArrayLimit = 10000;

    std::atomic<int64_t> ClockTime{0};
    std::atomic<uint32_t> InstID{0};
    // A newer version was announced while running with "-update".
    std::atomic<uint8_t> UpdatePending{0};
    std::atomic<uint8_t> OnlineThreadRunning{0};
    int64_t SecondStartTime = 0;
    int32_t ScreenWidth = 0;
    int32_t ScreenHeight = 0;
    std::atomic<uint8_t> InstIdConfirmed{0};
    std::atomic<int32_t> LastAnnouncedVersion{0};
    std::atomic<int32_t> ArrayLimit{0};
    // A pass is wanted at once. Sticky: only the online pass clears it.
    std::atomic<uint8_t> NewSyncWanted{0};
    std::atomic<uint8_t> DoUploadSync{0};
    // A job of the user interface holds the model lock.
    std::atomic<uint8_t> UiUpdateIsRunning{0};
    std::atomic<int64_t> LastSyncTime{0};
    std::atomic<int32_t> SyncInterval{kDefaultSyncInterval};
    TNUiTagQueue uiTags;
    // The consumer is taking a tag out.
    std::atomic<uint8_t> updatingUiTagsNow{0};
    std::atomic<int32_t> UserLoginStatus{0};
    // The last request reached the service and got a 2xx answer.
    std::atomic<uint8_t> Online{0};
    std::atomic<uint8_t> Close{0};
    std::atomic<uint8_t> DosloKVyjimceVlaknaOnline{0};
    TNInfoMessages InfoMessages;
    std::atomic<uint8_t> runningPaintRecordsComponentsList{0};
    std::atomic<uint8_t> runningChangedRecordSaveSequence{0};
    // While above 0, each day-box update rebuilds its calendar and lowers it.
    std::atomic<int32_t> someRecordChangedSoUpdateViews{0};
    // The before-resize argument of a scroll-box layout while its
    // OnBeforeResize runs; 0 otherwise.
    std::atomic<uint8_t> ScrollboxBeforeResize{0};
    // The computer's name sent with every request; set once at start.
    TNString NetBIOSName;

    // The job thread (login.h).
    std::atomic<bool> runningLogin{false};
    std::atomic<bool> runningLoadLocalData{false};
    std::atomic<bool> runningLoadOneRecord{false};
    std::atomic<bool> runningPicturesOfShownData{false};
    std::atomic<bool> runningSearch{false};
    std::atomic<bool> runningOneRecordPictures{false};
    std::atomic<bool> runningSubscribeOrganizer{false};
    std::atomic<bool> loginResult{false};
    std::atomic<int32_t> loginResNo{0};
    std::atomic<int32_t> loadingDataPos{0};
    std::atomic<int32_t> loadingDataCount{0};

    TNGlobal();
    ~TNGlobal();
    TNGlobal(const TNGlobal&) = delete;
    TNGlobal& operator=(const TNGlobal&) = delete;

    void Destroy();
    // Clears the session's busy bytes and queues (constructor, log-out).
    void ResetSessionFlags();

    // ---- Request head and closing step.
    // Starts `out` with the head of request `name`: "ApiReq", "InstID", the
    // user block of `user` (or of the active user when withUser is 1), and
    // "NetBIOSName". False, with nothing written, when the active user is
    // asked for and there is none.
    bool Sync2SetRequest(const char* name, const TNUser* user, uint8_t withUser, TNFormBuilder* out);
    // Posts a finished body to the API address of the first server. True,
    // with the answer in `download`, only when an answer with a 2xx status
    // arrived; sets Online to that.
    // A request of an older sign-in generation is cut off by `cancel`.
    bool PostToApi(const TNString& body, TNDownload& download, const TNCancelCheck& cancel = {});
    // As PostToApi, to the API address of a server position.
    bool PostToApiAt(int32_t position, const TNString& body, TNDownload& download, const TNCancelCheck& cancel = {});
    // True once a log-out has ended the sign-in current at this call.
    TNCancelCheck SignInEndedCheck() const;
    // Ends a request: the time, a wish for a pass, the model lock released,
    // the tag queued; returns the result.
    bool Sync2Finish(bool result, bool newSyncWish, const char* caller, int16_t uiTag);
    bool Sync2CheckInstID();
    void Sync2TestNewestVersion(TNString* answer);
    bool ActiveUserExists();

    // ---- The two waits: both take the model lock, after the WAITING and
    // TIMEOUT lines at the old poll counts. A request calls
    // WaitUntilUiJobFinish after its answer arrived; the lock is released by
    // Sync2Finish or by the returned lock, whichever comes first.
    [[nodiscard]] TNSyncLock WaitUntilUiJobFinish(const char* caller);
    // The user interface, before it changes local data; the lock is held
    // until the returned lock ends.
    [[nodiscard]] TNUiJobLock WaitUntilSyncJobIsDone(const char* caller, uint8_t setUiRunning);

    bool FastSync(const char* caller);
    // Wants a pass at once: NewSyncWanted and the online timer at 1 ms,
    // under OnlineTimerMutex.
    void RunOnlineNow();
    // Taken by every arming of the online timer, so that a re-arm never
    // overwrites a wish.
    std::mutex OnlineTimerMutex;

    static bool GetNetBIOSName(TNString* out);
    // The position itself when a server is configured there, else 0.
    static int32_t ServerPosition(int32_t position);

    // ---- Sign-in (sign_in.cpp).
    bool Synchronise(uint8_t userLogged, int32_t lastSync, TNString* resultText, int32_t* resno,
                     const TNString& password, const TNString& login);
    void ProcessUserData(TNString* answer);
    // A confirmed new password: the active user's entry (saved again when it
    // remembers the password) and the password kept here.
    bool SetActivePassword(const TNString& password);
    // Enters the folder of the user list; its path ("/" at the end), empty
    // when it cannot be had.
    static std::string EnterUsersFolder();

    // ---- Synchronisation (sync_download.cpp, sync_upload.cpp).
    static constexpr int8_t kQueueUpdatedRecords = 1;
    // Whose records are downloaded: the user's own and created organizers,
    // and pages and organizers of others the user follows.
    static bool WantRecordsOfThisOrganizer(const TNPIMOrganizer* organizer);
    // handshake 1.
    static bool AnswerIsValid(TNString* answer);
    void ReadArrayLimit(TNString* answer);
    bool Sync2UsersOrganizers(bool* dataChanged);
    bool Sync2Alerts_Notifications_Contacts_Groups_Types_etc(bool* dataChanged);
    bool Sync2Records(bool* dataChanged);
    // Takes in an "api-sync-pim" block; whether another pass is wanted.
    bool SyncPIM(TNString* block, uint8_t byOrganizer, bool* dataChanged);
    void SetOrganizersToCheck(std::vector<uint32_t> ids);
    bool Sync2CheckOrganizersExistence();
    void Sync2GetImagesAndAditionalDataAndTestShownRecords();
    // Uploads the first pending item not backing off; its id in
    // uploadedId (0 when none went up). True when the upload was confirmed.
    bool Sync2Upsync(uint32_t* uploadedId);
    // Reads an upload's answer and confirms the item (type, id) that went up
    // with `sentForm`; true when confirmed. Takes the model lock.
    bool ApplyUploadAnswer(TNString* answer, int32_t type, uint32_t id, const TNString& sentForm);
    // An item is pending that is not backing off.
    bool UploadPendingNow();
    // Set when a data set loaded again holds new records, tags or tag
    // assignments waiting for upload: the passes download before they
    // upload, and a downloaded copy of such an item confirms it
    // (AdoptUploadedCopies), so that an item whose answer came just before
    // a crash does not go up a second time.
    std::atomic<bool> MatchNewItemsFirst{false};
    // Tests only: asked with the item's type and id after its upload's
    // answer arrived and before it is taken; true ends the run there, as a
    // crash does. Set only while no pass runs.
    std::function<bool(int32_t type, uint32_t id)> UploadAnswerCrashSeam;
    // Saves the confirmations not saved yet; true when none is left unsaved.
    // Each is on disk before the next upload goes out: a crash that lost one
    // would leave its item under the temporary id, which the service takes
    // as a new item once it answered, so the item's next upload would make
    // a second copy on the service.
    bool SaveConfirmedUploads();
    // The organizer check was asked for; when it last ran.
    std::atomic<uint8_t> pleaseCheckOrganizers{0};
    std::atomic<int64_t> LastOrganizersCheckTime{0};
    std::atomic<bool> runningTestShownRecords{false};
    // Failed uploads per item, until log-out.
    TNUploadBackOff UploadBackOff;
    // Display-status requests of alert windows on screen that got no answer
    // wait as failed uploads do (type 4, the alert's id).
    TNUploadBackOff AlertStatusBackOff;
    TNSyncCounters SyncCounters;

    // ---- Online timer and pass (online_pass.cpp).
    // timerOnline's handler: starts a pass, or re-arms when one runs. True
    // when this call started a pass; never a second one.
    bool OnlineTimerFired();
    // The timer's Tag; 999 after the log-out.
    std::atomic<int32_t> OnlineTimerTag{0};
    // The fast pass and the login page's rhythm; tests shorten them.
    std::atomic<int32_t> FastPassDelayMs{250};
    std::atomic<int32_t> LoginPageDelayMs{5250};
    // The end of a pass: arms the online timer for the next one.
    void RearmOnlineTimer();
    // Set by the log-out step and the save requests: the pass saves PIM[0].
    std::atomic<uint8_t> pleaseSavePIM{0};
    std::atomic<int64_t> LastDataSaveTime{0};

    // ---- Request queue (request_queue.cpp).
    // Queues a request; its position, an equal item's, or -1.
    int32_t apiQueueRequest(int32_t position, const char* name, const char* data, int8_t functionCode,
                            uint8_t withUser);
    // Sends the first live item of the queue; one per pass.
    void onlineProceedAPIQueue();
    TNRequestQueue apiQueueRequests;

    // ---- Pictures (pictures.cpp). Each fetches the pictures whose id is new
    // and whose file is not on disk into the picture cache.
    bool Sync2GetOneRecordPictures(uint32_t recordId);
    bool Sync2GetShownRecordsPictures();
    bool Sync2GetOrganizersPictures();
    bool Sync2GetAvailableOrganizersPictures();
    void Sync2GetContactsUsersProfilePictures();
    void Sync2GetActualUserProfilePicture(bool onlyLookOnDisk);
    void Sync2GetContactsRequestsProfilePictures();
    // Shows or clears the status bar's warning of a full disk.
    void ShowDiskSpaceWarning(bool show);
    std::atomic<bool> runningOneRecordPicturesFetch{false};
    std::atomic<bool> runningShownRecordsPicturesFetch{false};
    std::atomic<bool> runningOrganizersPicturesFetch{false};
    std::atomic<bool> runningAvailableOrganizersPicturesFetch{false};
    std::atomic<uint8_t> DiskSpaceWarningShown{0};

    // ---- Object data (object_data.cpp): the contact requests and
    // notifications whose details are to be fetched.
    int32_t AddObjectData(uint8_t type, uint32_t id, int32_t position);
    int32_t DeleteObjectData(uint8_t type, uint32_t id, int32_t position);
    bool Sync2GetObjectData(uint8_t type, uint32_t id, int32_t position);
    // Applies a valid "get-object-data" answer about the item (type, id) of
    // the data set, under the model lock.
    static void ApplyObjectData(TNPIM* pim, uint8_t type, uint32_t id, TNString* answer);
    // Fetches the first entry not done; one per pass.
    void GetNextObjectData();
    TNObjectDataList ObjectData;

    // ---- Organizers beyond the user's own (organizer_requests.cpp).
    // The popular and newest public organizers, at most once an hour.
    void GetAvailableOrganizers(int64_t now);
    // Queues the list of all record ids of each organizer that is due.
    void QueueOrganizersFullResync(int64_t now);
    // Handlers of the queued requests of codes 2 and 3; the number of
    // records changed.
    int32_t fncGetRecordsIDsOfOrganizer(TNString* document);
    int32_t fncGetAvailableRecordsOfPublicOrganizer(TNString* document);
    // Queues the reload of the organizer's blank records.
    void Sync2ReloadRecordsOfOrganizer(const TNPIMOrganizer* organizer);
    static constexpr int8_t kQueueRecordsIdsOfOrganizer = 2;
    static constexpr int8_t kQueuePublicOrganizerRecords = 3;
    // The public organizers offered by the service; null until fetched.
    std::unique_ptr<TNPIMOrganizers> AvailableOrganizers;
    std::atomic<bool> runningAvailableOrganizers{false};
    std::atomic<int64_t> LastAvailableOrganizersTime{0};
    std::atomic<bool> runningFullResync{false};
    // Seconds between two full resynchronisations of an organizer; tests
    // that count the passes' requests set it out of reach.
    std::atomic<int64_t> FullResyncInterval{86400};
    std::atomic<bool> runningRecordsIdsOfOrganizer{false};

    // ---- Single things outside the pass (record_request.cpp).
    // The record as the service has it, with its sharing list when it has
    // any (else `sharing` is left alone). True when a record came back.
    bool LoadOneRecordFromServer(uint32_t recordId, uint32_t organizerId, int32_t position,
                                 std::unique_ptr<TNPIMRecord>* record, std::unique_ptr<TNPIMSharing>* sharing);
    // Reads a valid "get-one-record" answer the same way.
    static bool ReadOneRecordAnswer(TNString* answer, uint32_t recordId, TNPIM* pim,
                                    std::unique_ptr<TNPIMRecord>* record, std::unique_ptr<TNPIMSharing>* sharing);

    // ---- Account actions and statistics (account_actions.cpp).
    // The basic profile's save is to be sent (the pass clears it before it
    // sends), and the dialog's change is not confirmed yet. The typed names
    // are the account's NewFirstName and NewLastName.
    std::atomic<uint8_t> pleaseSaveBasicProfileSettings{0};
    std::atomic<uint8_t> basicProfileSettingsChanged{0};
    // When the extended statistics last went out; whether the empty login
    // window was reported in this run.
    std::atomic<int64_t> lastExtendedStatsTime{0};
    std::atomic<uint8_t> emptyLoginWindowStatsSent{0};
    bool Sync2SaveBasicProfileSettings(int32_t position);
    // action 1 accepts, 2 ignores.
    bool Sync2IgnoreOrAcceptContactRequest(int32_t action, uint32_t requestId, int32_t position);
    bool Sync2MarkAllNotificationsAsRead(int32_t position);
    // subscribe 1 subscribes, 0 leaves; true when the service confirmed.
    // Runs on the job thread (job 10): its boxes and cursor are posted.
    bool Sync2SubscribeOrganizer(uint32_t organizerId, int32_t position, int32_t subscribe);
    bool PostponeAlert(int32_t minutes, uint32_t alertId, int32_t position, int32_t alertType, uint32_t organizerId,
                       uint32_t recordId, uint32_t alertUserId);
    bool SendStatsToServer_NewAccountButtonClick(int32_t position);
    bool SendStatsToServer_EmptyLoginWindowShown(int32_t position);
    bool SendStatsToServer_ExtendedStats(const TNString& stats, int32_t position);
    // Job 5: "delete-recurring-record"; what 1 this occurrence, 2 this and
    // all following, 3 all.
    bool DeleteRecurringRecordUsingThread(uint32_t recordId, int32_t what, int32_t position);

    // ---- UI-update tag queue.
    void SetUpdateUiTag(int16_t tag, uint32_t param);

    // ---- The main window's tag dispatcher and login page.
    // Set while the main window works off one UI-update tag.
    std::atomic<uint8_t> runningUiTag{0};
    // The login page started a sign-in and has not had its answer.
    std::atomic<uint8_t> LoginInProgress{0};
    // The start web page is still to be opened in this run (tag 1).
    std::atomic<uint8_t> StartPageWanted{1};
    // Sends "emptyloginwindowshown" on a worker, so the login page never
    // waits for the network; false when it is already under way.
    bool StartEmptyLoginWindowStats();
    std::atomic<bool> runningEmptyLoginWindowStats{false};
    // An accepted sign-in: the user list saved, the user's folder and
    // settings file, the typed login and password kept, job 2 started.
    // False when job 2 could not start (sign_in_continuation.cpp).
    bool ContinueAcceptedSignIn(const TNString& login, const TNString& password);
    // Job 2 loaded the local data: the account counts as signed in.
    void CompleteSignIn();

    // ---- Automatic update (auto_update.cpp): the check with the download,
    // on the update thread. True when this call made the update ready.
    bool AutomatickaAktualizace();
    std::atomic<uint8_t> runningAutoUpdateCheck{0};
    // An update is downloaded and will be installed when the program ends.
    std::atomic<uint8_t> WantUpdate{0};
    // The window closes for a downloaded update, not at the user's wish: the
    // close starts the program again once it has installed it.
    std::atomic<uint8_t> CloseForUpdate{0};

    // ---- The account.
    TNAccount Account() const;
    void UpdateAccount(const std::function<void(TNAccount&)>& change);
    TNString LoginResultText() const;
    void SetLoginResultText(const TNString& text);
    // Why the last sign-in got no answer of the service, in the transport's
    // words (UTF-8); empty when the service answered.
    std::string LoginTransportReason() const;
    void SetLoginTransportReason(const std::string& reason);
    // Job 2's pick for the constant reminder; null when none.
    std::shared_ptr<const TNPIMRecord> NotifyConstantlyRecord() const;
    void SetNotifyConstantlyRecord(std::shared_ptr<const TNPIMRecord> record);
    TNString SearchText() const;
    void SetSearchText(const TNString& text);

    // ---- Log-out and portable mode (logout.cpp).
    // Raised by the log-out. A request notes it when it starts and applies
    // its answer only while it is unchanged (TNSyncLock::Stale).
    std::atomic<uint32_t> SignInGeneration{0};
    bool OdhlasUzivatele(bool closing_application);
    // What the closing log-out saves (the edited note, the settings, the user
    // list, the data sets), saved while the exit still waits for the online
    // thread: whoever ends the program may not wait as long as the pass.
    // The data sets keep their files open; the log-out saves them again.
    void SaveBeforeClosingWait();
    // The user asked to reset the local data file: the log-out deletes it,
    // and the next sign-in downloads everything again.
    std::atomic<uint8_t> ResetDataFileAtLogout{0};
    static void SetPortableDataFolder();
    // The final switch the log-out hands to TNPIM::Save.
    std::atomic<bool> SaveFinalSwitch{false};

    // ---- Autorun, connection text and idle state (session_services.cpp).
    bool SetAutorun(uint8_t enable, uint8_t withPrefix);
    void UpdateConnectionStatusText(int32_t state, uint8_t secure, uint8_t force);
    // Shows the program's version in its status-bar panel when it differs
    // from the one shown (always with `force`). Main thread.
    void UpdateStatusBarVersion(bool force);
    int32_t ShownVersionMajor = -1;
    int32_t ShownVersionMinor = -1;
    int32_t GetUserIdleStatus();
    void StartUrgentImportanceHintTimer(const TNPIMRecord* record);
    std::atomic<uint8_t> LastShownConnectionState{0};
    std::atomic<int32_t> IdleSeconds{0};
    std::atomic<int32_t> IdleStatus{0};
    // The user-interface code's input mark and bytes.
    std::atomic<int64_t> InputTimeMark{0};
    std::atomic<uint8_t> FirstInput{0};
    std::atomic<uint8_t> InputSeen{0};
    // Set: no update at idle in this run.
    std::atomic<uint8_t> NoIdleUpdate{0};

    // ---- One-shot account requests (one_shot_requests.cpp).
    TNNewAccountState NewAccount;
    int32_t UsernameExists(const TNString& login);
    int32_t UsernamePathNotExists(const TNString& path);
    int32_t EmailNotExists(const TNString& email);
    int32_t CreateNewAccount(const TNString& login, const TNString& password, const TNString& path);
    bool GetNewestVersion();
    // `answered`, when given, tells whether the service answered at all.
    bool GetAlertOnDisplayStatus(uint32_t alertId, uint32_t organizerId, const TNString& password,
                                 const TNString& login, bool* answered = nullptr);
    void DeleteAcceptedAlerts();
    bool GetOneTimeLoginLink(const TNString& login, const TNString& password, bool showErrors, TNString* link);
    bool FlagMessageForUsers(const TNString& login, const TNString& password, bool showErrors, uint32_t itemId);
    // The login of the one-shot requests: the active user's, else the
    // setting "SmsUcet_Username".
    TNString OneShotLogin() const;

    // ---- Alert display and the signed-in web link (alert_display.cpp).
    TNAlertDisplayState AlertDisplay;
    void DisplayAlerts();
    bool OpenWebPageLoggedIn(const TNString& address);
    // Run the two above on their worker; false when it is busy.
    bool StartDisplayAlerts();
    bool StartOpenWebPageLoggedIn(const TNString& address);
    // The message for users: reports it handled on a worker of its own,
    // with the one-shot login; false when a report still runs.
    bool StartFlagMessageForUsers(uint32_t itemId);
    std::atomic<bool> FlagMessageWorkerBusy{false};

    // ---- Window geometry and captions (window_geometry.cpp).
    std::atomic<int32_t> LastResW{-1};
    std::atomic<int32_t> LastResH{-1};
    bool GeometryRestoredOnce = false;
    bool SavingGeometry = false;
    void UpdateTodayWindowSize();
    void SaveWindowGeometry();
    void SaveWindowSize();
    void SaveWindowPosition();
    void SaveWindowState(int32_t state);
    void GetOrganizerRelationText(bool userPresent, const TNPIMOrganizer* organizer, TNString* result,
                                  const TNString* ownerName);
    void ClearOwnOrganizersCachedText();

private:
    friend class TNSyncLock;
    // Lets go of the model lock this thread took in WaitUntilUiJobFinish.
    static void ReleaseRequestLockOfThread();
    // Posts a one-shot body of the generation; the answer and whether the
    // post succeeded. Updates the connection text and takes "inst-id".
    bool PostOneShot(const TNFormBuilder& body, TNString* answer);
    // Stores an installation id of an answer; writes "instid.dat" when it
    // changed. False for 0.
    bool TakeInstID(uint32_t id);
    // ProcessUserData's steps.
    void ReadAccountFlags(TNString* answer);
    void ReadNamesAndMessage(TNString* answer);
    void ReadSettingsText(TNString* answer);
    void ReadStatistics(TNString* answer);
    void RefreshHeaderWhenChanged();
    // Synchronise's steps after an accepted login.
    void TakeAccountOfSignIn(TNString* answer, const TNString& login, const TNString& password);

    // fncGetRecordsIDsOfOrganizer's comparison of the service's ids with the
    // local records, under the model lock.
    void CompareRecordsWithIds(TNPIM& pim, uint32_t organizerId, int32_t realCount, const TNString& document,
                               int32_t* deleted, int32_t* created);

    // SyncPIM's step for one section of a block: its items added and
    // counted in `delivered`; true when any was.
    bool TakeSyncSection(TNPIM& pim, TNString& block, size_t index, int32_t* delivered);
    // Sync2Upsync's steps.
    bool ConfirmUpload(int32_t type, uint32_t oldId, uint32_t newId, const TNString& sentForm);
    void AdoptUploadedCopies();
    // Confirmations queued for saving and not saved yet.
    std::atomic<int32_t> unsavedConfirmations_{0};
    // The series of a confirmed recurring master; no lock is held while its
    // requests wait.
    bool UpdateRecurrence(uint32_t oldId, uint32_t newId);
    // The id a record confirmed from oldId holds now.
    uint32_t ConfirmedRecordId(uint32_t oldId);

    std::mutex organizersToCheckMutex_;
    std::vector<uint32_t> organizersToCheck_;
    // When each shown record (server position, id) was last checked.
    std::mutex shownChecksMutex_;
    std::unordered_map<uint64_t, int64_t> shownChecks_;

    mutable std::mutex accountMutex_;
    TNAccount account_;
    TNString loginResultText_;
    std::string loginTransportReason_;
    TNString searchText_;
    std::shared_ptr<const TNPIMRecord> notifyConstantlyRecord_;
};

// Built and destroyed by the globals table after the foundation's globals.
extern TNGlobal& g;

// Adds g to the globals table (through the foundation's higher-globals
// hooks). Called once at start, before ConstructGlobals.
void InstallOnlineGlobals();
