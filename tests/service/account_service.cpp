#include "tests/service/account_service.h"

#include "tests/service/test_service.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace test_service {

namespace {

const char* const kHeadKeys[] = {"ApiReq", "InstID", "UserID", "Username", "Pass", "IsVirtual", "NetBIOSName"};
// The answers' Czech texts as CP1250 bytes.
constexpr const char* kWrongCredentials = "<handshake>0</handshake><success>0</success>"
                                          "<Response>Neplatn\xE9 p\xF8ihla\x9Aovac\xED \xFA"
                                          "daje.</Response>";
constexpr const char* kUnknownRequest = "<handshake>0</handshake><Response>Nezn\xE1m\xFD po\x9E"
                                        "adavek.</Response>";
constexpr const char* kWrongLogin = "<resno>-1</resno><result>Nespr\xE1vn\xE9 p\xF8ihla\x9Aovac\xED jm\xE9no nebo "
                                    "heslo.</result>";
constexpr const char* kDeactivated = "<handshake>0</handshake><Response>\xDA\xE8"
                                     "et je deaktivov\xE1n.</Response>";

std::string Lower(std::string text)
{
    for (char& ch : text) {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    }
    return text;
}

// The handler's wish to hear that its answer was written; the connection's
// thread runs the handler and writes the answer.
thread_local std::function<void()> pendingWritten;

uint32_t Number(const FormFields& fields, const char* key)
{
    return static_cast<uint32_t>(std::strtoul(FieldValue(fields, key).c_str(), nullptr, 10));
}

// The keys of the body's pairs in order, repeats included.
std::vector<std::string> RawKeys(const std::string& body)
{
    std::vector<std::string> keys;
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        std::string pair = body.substr(start, end - start);
        keys.push_back(pair.substr(0, pair.find('=')));
        start = end + 1;
    }
    return keys;
}

// An upload's item form, after "UpSyncID", may name a head key once more
// ("UserID" in several forms): head and form are counted apart.
bool HeadKeyRepeated(const std::string& body)
{
    std::vector<std::string> keys = RawKeys(body);
    auto formStart = std::find(keys.begin(), keys.end(), "UpSyncID");
    for (const char* head : kHeadKeys) {
        if (std::count(keys.begin(), formStart, head) > 1 || std::count(formStart, keys.end(), head) > 1)
            return true;
    }
    return false;
}

} // namespace

bool Account::HasAlias(const std::string& login) const
{
    std::string wanted = Lower(login);
    return wanted == Lower(UserName) || wanted == Lower(Email) || (!DigitsLogin.empty() && wanted == DigitsLogin);
}

std::string EscapeText(const std::string& text)
{
    std::string escaped;
    for (char ch : text) {
        switch (ch) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += ch;
        }
    }
    return escaped;
}

std::string Element(const std::string& key, const std::string& value)
{
    return "<" + key + ">" + EscapeText(value) + "</" + key + ">";
}

AccountService::AccountService(TestService& service) : service_(service)
{
    service_.Route(kApiPath, [this](const Request& request) { return Handle(request); });
    RouteApi("check-inst-id", [this](const FormFields& fields, const Account*) { return CheckInstID(fields); });
    RouteApi("get-newest-version",
             [this](const FormFields& fields, const Account*) { return GetNewestVersion(fields); });
    RouteApi("login", [this](const FormFields& fields, const Account*) { return Login(fields); });
}

void AccountService::AddAccount(const Account& account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    accounts_.push_back(account);
}

Account AccountService::AccountByID(uint32_t userId) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (const Account& account : accounts_) {
        if (account.UserID == userId)
            return account;
    }
    return Account();
}

bool AccountService::ChangeAccount(uint32_t userId, const std::function<void(Account&)>& change)
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (Account& account : accounts_) {
        if (account.UserID == userId) {
            change(account);
            return true;
        }
    }
    return false;
}

void AccountService::ChangeEveryAccount(const std::function<void(Account&)>& change)
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (Account& account : accounts_)
        change(account);
}

void AccountService::SetSyncInterval(int seconds)
{
    std::lock_guard<std::mutex> guard(mutex_);
    syncInterval_ = seconds;
}

void AccountService::SetNewestVersion(int version)
{
    std::lock_guard<std::mutex> guard(mutex_);
    newestVersion_ = version;
}

void AccountService::SetNextInstID(uint32_t id)
{
    std::lock_guard<std::mutex> guard(mutex_);
    nextInstId_ = id;
}

void AccountService::SetLoginRefusedSilently(bool refused)
{
    std::lock_guard<std::mutex> guard(mutex_);
    loginRefusedSilently_ = refused;
}

void AccountService::OmitAccountKeys(const std::vector<std::string>& keys)
{
    std::lock_guard<std::mutex> guard(mutex_);
    omittedKeys_ = std::set<std::string>(keys.begin(), keys.end());
}

void AccountService::SetSyncBlock(const std::string& block)
{
    std::lock_guard<std::mutex> guard(mutex_);
    syncBlock_ = block;
}

int AccountService::NewestVersion() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return newestVersion_;
}

void AccountService::RecordViolation(const Violation& violation)
{
    service_.Record({violation});
}

std::vector<ApiRequest> AccountService::Requests() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return requests_;
}

std::vector<ApiRequest> AccountService::RequestsNamed(const std::string& name) const
{
    std::vector<ApiRequest> named;
    for (ApiRequest& request : Requests()) {
        if (request.Name == name)
            named.push_back(std::move(request));
    }
    return named;
}

std::string AccountService::NetBIOSNameOf(uint32_t instId) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = issued_.find(instId);
    return found != issued_.end() ? found->second : std::string();
}

void AccountService::RouteApi(const std::string& name, ApiHandler handler)
{
    std::lock_guard<std::mutex> guard(mutex_);
    handlers_[name] = std::move(handler);
}

void AccountService::RouteOwnFormat(const std::string& name, ApiHandler handler)
{
    std::lock_guard<std::mutex> guard(mutex_);
    handlers_[name] = std::move(handler);
    ownFormat_.insert(name);
}

Account AccountService::AccountByLogin(const std::string& login) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    const Account* found = FindByLogin(login);
    return found != nullptr ? *found : Account();
}

Response AccountService::Handle(const Request& request)
{
    int now = ++inFlight_;
    for (int most = mostInFlight_.load(); now > most && !mostInFlight_.compare_exchange_weak(most, now);) {
    }
    struct Leave {
        std::atomic<int>& count;
        ~Leave() { --count; }
    } leave{inFlight_};
    FormFields fields = DecodeFormLeniently(request.Body);
    ApiRequest logged{FieldValue(fields, "ApiReq"), fields, Number(fields, "InstID"), Number(fields, "UserID"), ""};
    auto answer = [&](std::string body, int status = 200) {
        logged.Answer = body;
        std::lock_guard<std::mutex> guard(mutex_);
        requests_.push_back(logged);
        return Response::Text(std::move(body), status);
    };

    if (request.Query.find("ApiCall=1&AppID=16&AppPrefix=dlmr1&Version=") != 0)
        service_.Record({{"api-url", request.Path, "", request.Query}});
    // A repeated head key is how a field injection shows.
    if (HeadKeyRepeated(request.Body))
        return answer("<handshake>0</handshake><resno>0</resno>", 400);

    ApiHandler handler;
    const Account* account = nullptr;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto found = handlers_.find(logged.Name);
        if (found != handlers_.end())
            handler = found->second;
        // The head with a user authenticates every request but "login".
        bool withUser = !FieldValue(fields, "Username").empty() || !FieldValue(fields, "Pass").empty();
        bool ownFormat = logged.Name == "login" || ownFormat_.count(logged.Name) != 0;
        if (handler && !ownFormat && withUser) {
            const Account* byLogin = FindByLogin(FieldValue(fields, "Username"));
            bool idNames = logged.UserID == 0 || (byLogin != nullptr && byLogin->UserID == logged.UserID);
            if (byLogin == nullptr || !idNames || byLogin->Password != FieldValue(fields, "Pass"))
                handler = [](const FormFields&, const Account*) { return std::string(kWrongCredentials); };
            else if (byLogin->Deactivated != 0 || byLogin->Deleted != 0)
                handler = [](const FormFields&, const Account*) { return std::string(kDeactivated); };
            else
                account = byLogin;
        }
    }
    if (!handler)
        return answer(kUnknownRequest);

    ApiFault fault;
    bool faulted = TakeApiFault(logged.Name, fault);
    if (faulted) {
        switch (fault.Type) {
        case ApiFault::Kind::Delay:
            Delay(fault.Milliseconds);
            break;
        case ApiFault::Kind::CloseBeforeAnswer: {
            Response closed = answer("");
            closed.CloseWithoutAnswer = true;
            return closed;
        }
        case ApiFault::Kind::Status:
            return answer(fault.Text, fault.Status);
        case ApiFault::Kind::Refuse:
            return answer("<handshake>0</handshake>" + Element("Response", fault.Text));
        case ApiFault::Kind::CommitThenClose:
        case ApiFault::Kind::CutBody:
        case ApiFault::Kind::EndlessBody:
        case ApiFault::Kind::DeclaredLength:
            break;
        }
    }
    pendingWritten = nullptr;
    Response response = answer(handler(fields, account));
    std::function<void()> written = std::move(pendingWritten);
    pendingWritten = nullptr;
    if (faulted && fault.Type == ApiFault::Kind::CommitThenClose)
        response.CloseWithoutAnswer = true;
    else if (faulted && fault.Type == ApiFault::Kind::CutBody)
        response.CutAfter = std::max<size_t>(1, fault.CutAfter);
    else if (faulted && fault.Type == ApiFault::Kind::EndlessBody)
        response.EndlessBody = true;
    else if (faulted && fault.Type == ApiFault::Kind::DeclaredLength)
        response.DeclaredLength = fault.Length;
    else
        response.Written = std::move(written);
    return response;
}

void AccountService::Delay(int milliseconds)
{
    // In slices, so that stopping the service never waits for a long delay.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    if (milliseconds >= 0) {
        while (!service_.Stopping() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return;
    }
    const uint64_t release = releases_.load();
    ++held_;
    while (!service_.Stopping() && releases_.load() == release)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    --held_;
}

void AccountService::ReleaseHeld()
{
    ++releases_;
}

void AccountService::WhenAnswerWritten(std::function<void()> written)
{
    pendingWritten = std::move(written);
}

void AccountService::ArmApiFault(const std::string& name, const ApiFault& fault, int times)
{
    std::lock_guard<std::mutex> guard(mutex_);
    apiFaults_[name].push_back({fault, times});
}

void AccountService::DisarmApiFaults()
{
    std::lock_guard<std::mutex> guard(mutex_);
    apiFaults_.clear();
}

bool AccountService::TakeApiFault(const std::string& name, ApiFault& fault)
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = apiFaults_.find(name);
    if (found == apiFaults_.end() || found->second.empty())
        return faultChooser_ && faultChooser_(name, fault);
    ArmedApiFault& armed = found->second.front();
    fault = armed.What;
    if (armed.Remaining != kAlways && --armed.Remaining <= 0)
        found->second.erase(found->second.begin());
    return true;
}

void AccountService::SetApiFaultChooser(ApiFaultChooser chooser)
{
    std::lock_guard<std::mutex> guard(mutex_);
    faultChooser_ = std::move(chooser);
}

uint32_t AccountService::IssueOrEcho(uint32_t instId, const std::string& netBiosName)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (instId == 0 || issued_.find(instId) == issued_.end())
        instId = nextInstId_++;
    issued_[instId] = netBiosName;
    return instId;
}

std::string AccountService::CheckInstID(const FormFields& fields)
{
    uint32_t instId = IssueOrEcho(Number(fields, "InstID"), FieldValue(fields, "NetBIOSName"));
    std::lock_guard<std::mutex> guard(mutex_);
    return "<handshake>1</handshake>" + Element("inst-id", std::to_string(instId)) +
           Element("newest-version", std::to_string(newestVersion_));
}

std::string AccountService::GetNewestVersion(const FormFields& fields)
{
    uint32_t instId = IssueOrEcho(Number(fields, "InstID"), FieldValue(fields, "NetBIOSName"));
    std::lock_guard<std::mutex> guard(mutex_);
    return Element("newest-version", std::to_string(newestVersion_)) + Element("inst-id", std::to_string(instId));
}

std::string AccountService::Login(const FormFields& fields)
{
    Account account;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const Account* found = FindByLogin(FieldValue(fields, "Username"));
        if (found == nullptr || found->Password != FieldValue(fields, "Pass"))
            return kWrongLogin;
        account = *found;
        if (loginRefusedSilently_)
            return "<resno>1</resno><result>OK</result><UserLoginOK>0</UserLoginOK>";
    }
    uint32_t instId = IssueOrEcho(Number(fields, "InstID"), FieldValue(fields, "NetBIOSName"));
    std::lock_guard<std::mutex> guard(mutex_);
    std::string organizer = std::to_string(account.MainOrganizer);
    std::string body = "<resno>1</resno><result>OK</result><UserLoginOK>1</UserLoginOK>";
    auto add = [&](const std::string& key, const std::string& value) {
        if (omittedKeys_.count(key) == 0)
            body += Element(key, value);
    };
    add("UsernameEmail", account.Email);
    add("UserID", std::to_string(account.UserID));
    add("Username", account.UserName);
    add("Email", account.Email);
    add("user-organizer-id", organizer);
    add("OrganizerID", organizer);
    add("LastPimUpdateTime", "0");
    add("UsersOrganizersRecalc", "1");
    add("UsersOrganizersLastRecalc", "1");
    add("UsersOrganizers", account.MainOrganizer != 0 ? organizer + ",1,1;" : "");
    add("InContactsGroups", "");
    add("InContactsLists", "");
    add("newest-version", std::to_string(newestVersion_));
    body += AccountBlock(account, instId, true);
    return body + syncBlock_;
}

std::string AccountService::AccountBlock(const Account& account, uint32_t instId, bool withInstId) const
{
    std::string block;
    auto add = [&](const std::string& key, const std::string& value) {
        if (omittedKeys_.count(key) == 0)
            block += Element(key, value);
    };
    add("AccountType", "1");
    add("Deactivated", std::to_string(account.Deactivated));
    add("Deleted", std::to_string(account.Deleted));
    add("UsernamePath", account.UserName);
    add("FirstName", account.FirstName);
    add("MiddleName", account.MiddleName);
    add("LastName", account.LastName);
    add("VirtualAccount", "0");
    add("EmailAuthTime", "0");
    add("secondaryEmail", "");
    add("secondaryEmailAuthTime", "0");
    add("tertiaryEmail", "");
    add("tertiaryEmailAuthTime", "0");
    add("ProfilePicture", std::to_string(account.ProfilePicture));
    if (account.Message.ID != 0) {
        add("msgsforusers-id", std::to_string(account.Message.ID));
        add("msgsforusers-title", account.Message.Title);
        add("msgsforusers-text", account.Message.Text);
        add("msgsforusers-url", account.Message.Url);
        add("msgsforusers-type", std::to_string(account.Message.Type));
    }
    add("sync-interval", std::to_string(syncInterval_));
    add("Settings", account.Settings);
    add("userCanChangeEmail", "1");
    add("enableSecondaryEmail", "0");
    add("enableTertiaryEmail", "0");
    add("SendExtendedStats", "0");
    if (account.Operator) {
        for (const char* key :
             {"UsersTodayCount", "APILoginsTodayCount", "PimUpdatesTodayCount", "UsersTodayCreatedCount", "Users24",
              "APILogins24", "PimUpdates24", "Created24", "Users31", "APILogins31", "PimUpdates31", "Created31"})
            add(key, "1");
    }
    if (withInstId)
        add("inst-id", std::to_string(instId));
    return block;
}

const Account* AccountService::FindByLogin(const std::string& login) const
{
    for (const Account& account : accounts_) {
        if (account.HasAlias(login))
            return &account;
    }
    return nullptr;
}

} // namespace test_service
