#pragma once

#include "tests/service/form_decoder.h"
#include "tests/service/service_types.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace test_service {

class TestService;

// A message for the user, sent in every account block until it is flagged.
struct PendingMessage {
    uint32_t ID = 0;
    std::string Title;
    std::string Text;
    std::string Url;
    int Type = 1;
};

// One account of the service. Texts are CP1250 bytes.
struct Account {
    uint32_t UserID = 0;
    std::string Password;
    std::string UserName;
    std::string Email;
    // A digits-only login, when the account has one.
    std::string DigitsLogin;
    std::string FirstName;
    std::string MiddleName;
    std::string LastName;
    uint32_t MainOrganizer = 0;
    // The picture id of the account's profile picture; 0 none.
    uint32_t ProfilePicture = 0;
    int Deactivated = 0;
    int Deleted = 0;
    bool Operator = false;
    std::string Settings = "{\"FinishedTasksTimeout\":1}";
    // ID 0: none.
    PendingMessage Message;

    // The user name, the e-mail and the digits login, A–Z case ignored.
    bool HasAlias(const std::string& login) const;
};

// One request to the account API as the service understood it.
struct ApiRequest {
    std::string Name;
    FormFields Fields;
    uint32_t InstID = 0;
    uint32_t UserID = 0;
    std::string Answer;
};

// What a request of one name meets instead of its normal answer.
struct ApiFault {
    enum class Kind {
        // Holds the request before anything is stored, then answers it;
        // a negative time holds it until ReleaseHeld.
        Delay,
        // Closes the connection without storing or answering.
        CloseBeforeAnswer,
        // Stores, then closes without an answer (a lost answer).
        CommitThenClose,
        // Answers Status with Text, storing nothing.
        Status,
        // Answers handshake 0 with Text as the Response, storing nothing.
        Refuse,
        // Stores, announces the whole answer and sends CutAfter bytes.
        CutBody,
        // Stores, then answers with an endless body (Response::EndlessBody).
        EndlessBody,
        // Stores, then announces Length bytes (Response::DeclaredLength).
        DeclaredLength,
    };
    Kind Type = Kind::Refuse;
    int Milliseconds = 0;
    int Status = 500;
    std::string Text;
    size_t CutAfter = 0;
    uint64_t Length = 0;

    static ApiFault Delay(int milliseconds) { return {Kind::Delay, milliseconds, 0, "", 0}; }
    static ApiFault Hold() { return Delay(-1); }
    static ApiFault CloseBeforeAnswer() { return {Kind::CloseBeforeAnswer, 0, 0, "", 0}; }
    static ApiFault CommitThenClose() { return {Kind::CommitThenClose, 0, 0, "", 0}; }
    static ApiFault WithStatus(int status, std::string text = "")
    {
        return {Kind::Status, 0, status, std::move(text), 0};
    }
    static ApiFault Refuse(std::string text = "Odm\xEDtnuto.") { return {Kind::Refuse, 0, 0, std::move(text), 0}; }
    static ApiFault CutBody(size_t after) { return {Kind::CutBody, 0, 0, "", after}; }
    static ApiFault EndlessBody() { return {Kind::EndlessBody, 0, 0, "", 0}; }
    static ApiFault DeclaredLength(uint64_t length) { return {Kind::DeclaredLength, 0, 0, "", 0, length}; }
};

// The account service on a test service's API path ("/index.php"): the
// accounts, installation ids, the request head's rules and the requests of
// installation and sign-in. Later requests add themselves through RouteApi.
class AccountService {
public:
    static constexpr const char* kApiPath = "/index.php";

    explicit AccountService(TestService& service);

    // ---- Seeding and configuration.
    void AddAccount(const Account& account);
    void SetSyncInterval(int seconds);
    void SetNewestVersion(int version);
    // The next installation id issued.
    void SetNextInstID(uint32_t id);
    // "login" refuses without a message: resno 1 with UserLoginOK 0.
    void SetLoginRefusedSilently(bool refused);
    // Keys left out of every account block.
    void OmitAccountKeys(const std::vector<std::string>& keys);
    // An "api-sync-pim" block appended to every answer with an account block.
    void SetSyncBlock(const std::string& block);

    int NewestVersion() const;
    void RecordViolation(const Violation& violation);

    // ---- Inspection.
    // Requests being handled now, and the most ever handled at once.
    int InFlight() const { return inFlight_.load(); }
    int MostInFlight() const { return mostInFlight_.load(); }
    // Requests held by a Hold fault now.
    int Held() const { return held_.load(); }
    // Lets every request held now go on to its normal answer.
    void ReleaseHeld();
    std::vector<ApiRequest> Requests() const;
    std::vector<ApiRequest> RequestsNamed(const std::string& name) const;
    // The NetBIOSName last sent with an issued installation id; empty when
    // the id was never issued.
    std::string NetBIOSNameOf(uint32_t instId) const;

    // A request of the head form: `account` is the authenticated account
    // (null for a head without a user). Returns the answer body.
    using ApiHandler = std::function<std::string(const FormFields& fields, const Account* account)>;
    void RouteApi(const std::string& name, ApiHandler handler);
    // A request of its own format (sections 8.B and 8.C): the head's
    // authentication is skipped; the handler checks what it needs.
    void RouteOwnFormat(const std::string& name, ApiHandler handler);

    // A copy of the account with this alias; UserID 0 when none.
    Account AccountByLogin(const std::string& login) const;
    // A copy of the account with this id; UserID 0 when none.
    Account AccountByID(uint32_t userId) const;
    // Changes the account with this id; false when there is none.
    bool ChangeAccount(uint32_t userId, const std::function<void(Account&)>& change);
    void ChangeEveryAccount(const std::function<void(Account&)>& change);
    // Called from inside a handler: `written` runs once its answer went out
    // whole to a connection still open.
    static void WhenAnswerWritten(std::function<void()> written);

    // The next `times` requests of that name (or all, kAlways) meet the
    // fault. Faults of a name are taken in the order they were armed.
    void ArmApiFault(const std::string& name, const ApiFault& fault, int times = 1);
    void DisarmApiFaults();
    // Asked for every request that meets no armed fault: true and a fault
    // gives the request that fault (random faults at a rate). Empty: none.
    using ApiFaultChooser = std::function<bool(const std::string& name, ApiFault& fault)>;
    void SetApiFaultChooser(ApiFaultChooser chooser);

    // The account block (section 7) of an account, in its order.
    std::string AccountBlock(const Account& account, uint32_t instId, bool withInstId) const;

private:
    Response Handle(const Request& request);
    std::string CheckInstID(const FormFields& fields);
    std::string GetNewestVersion(const FormFields& fields);
    std::string Login(const FormFields& fields);
    // Issues an id for 0 or an id never issued, else echoes it.
    uint32_t IssueOrEcho(uint32_t instId, const std::string& netBiosName);
    const Account* FindByLogin(const std::string& login) const;

    TestService& service_;
    mutable std::mutex mutex_;
    ApiFaultChooser faultChooser_;
    std::vector<Account> accounts_;
    std::map<std::string, ApiHandler> handlers_;
    std::set<std::string> ownFormat_;
    std::map<uint32_t, std::string> issued_;
    uint32_t nextInstId_ = 77;
    int syncInterval_ = 1200;
    int newestVersion_ = 167;
    bool loginRefusedSilently_ = false;
    std::set<std::string> omittedKeys_;
    std::string syncBlock_;
    std::vector<ApiRequest> requests_;
    struct ArmedApiFault {
        ApiFault What;
        int Remaining = 0;
    };
    std::map<std::string, std::vector<ArmedApiFault>> apiFaults_;
    std::atomic<int> inFlight_{0};
    std::atomic<int> mostInFlight_{0};
    std::atomic<int> held_{0};
    std::atomic<uint64_t> releases_{0};

    bool TakeApiFault(const std::string& name, ApiFault& fault);
    void Delay(int milliseconds);
};

// "&", "<", ">" and '"' as entities.
std::string EscapeText(const std::string& text);
std::string Element(const std::string& key, const std::string& value);

} // namespace test_service
