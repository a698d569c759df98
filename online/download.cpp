#include "online/download.h"

#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "online/http_exchange.h"

#include <cstdio>
#include <random>

namespace {

constexpr const char* kDefaultUserAgent = "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)";
constexpr int32_t kMaxRefererLength = 2048;

const char* OrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

std::string Line(const char* caller, const char* marker)
{
    return std::string("[") + caller + "]" + marker;
}

// The value of the first header line that begins with "Location: ", exactly
// so cased, without its line end; empty when there is none.
std::string FindLocation(std::string_view headers)
{
    constexpr std::string_view name = "Location: ";
    size_t at = 0;
    while ((at = headers.find(name, at)) != std::string_view::npos) {
        if (at == 0 || headers[at - 1] == '\n') {
            size_t end = headers.find('\n', at);
            if (end == std::string_view::npos)
                return {};
            std::string_view value = headers.substr(at + name.size(), end - at - name.size());
            if (!value.empty() && value.back() == '\r')
                value.remove_suffix(1);
            return std::string(value);
        }
        at += name.size();
    }
    return {};
}

uint32_t RandomNumber()
{
    thread_local std::minstd_rand generator(std::random_device{}());
    return static_cast<uint32_t>(generator());
}

} // namespace

TNDownload::TNDownload()
{
    SetDefaults();
}

void TNDownload::SetDefaults()
{
    KeepAlive = 1;
    UserAgent.Set(kDefaultUserAgent);
    ResultCode = 0;
    DocumentExt.Set("htm");
}

bool TNDownload::Post(const char* url, const char* data, bool saveAnswer, const TNCancelCheck& cancel)
{
    Call call{Method::Post, "TNDownload::Post", OrEmpty(url), {}, OrEmpty(data), saveAnswer, nullptr, nullptr, &cancel};
    bool threw = true;
    bool result = Guarded("[TNDownload::Post]", false, [&] {
        bool performed = Perform(call);
        threw = false;
        return performed;
    });
    if (threw) {
        LogWrite("[TNDownload::Post][EXCEPTION][URL] ", call.url.c_str(), false);
        LogWrite("[TNDownload::Post][EXCEPTION][DATA] ", call.data, false);
        c.FatalErrorApplicationRestart();
        result = ResultCode > 0;
    }
    LogWrite("[TNDownload::Post][END]   ", call.data, false);
    return result;
}

bool TNDownload::Get(const char* url, bool saveAnswer, const char* folder, const char* fileName,
                     const TNCancelCheck& cancel)
{
    Call call{Method::Get, "TNDownload::Get", OrEmpty(url), {}, "", saveAnswer, folder, fileName, &cancel};
    return Perform(call);
}

bool TNDownload::Perform(Call& call)
{
    const int32_t maxRedirects = GetTransportConfig().MaxRedirects;
    for (int32_t redirects = 0;; ++redirects) {
        call.location.clear();
        bool received = PerformOne(call);
        if (!received || call.location.empty())
            return received;
        if (redirects >= maxRedirects) {
            LogTextInt((Line(call.caller, "[ERROR][REDIRECT] too many redirects, ResultCode = ")).c_str(), ResultCode);
            ResultString.Set("too many redirects");
            return false;
        }
        if (!FollowRedirect(call))
            return false;
    }
}

bool TNDownload::PerformOne(Call& call)
{
    const bool post = call.method == Method::Post;
    if (post) {
        LogWrite("[TNDownload::Post][BEGIN] ", call.url.c_str(), false);
        LogWrite("[TNDownload::Post][DATA]  ", call.data, false);
    }
    SplitUrl(call.url.c_str());

    TNHttpRequest request;
    request.Url = call.url;
    request.UserAgent = std::string(UserAgent.View());
    if (post) {
        request.Method = "POST";
        request.Body = call.data;
        request.Headers.push_back("Content-Type: application/x-www-form-urlencoded");
    } else {
        request.MaxBodyBytes = kMaxPictureAnswerBytes;
    }
    request.Headers.push_back("Accept: text/html, application/xhtml+xml, */*");
    request.Headers.push_back("Accept-Language: cs-CZ,cs;q=0.9,en;q=0.8");
    // libcurl drops a header written with an empty value; "Referer;" sends it.
    if (Referer.Length <= kMaxRefererLength)
        request.Headers.push_back(Referer.IsEmpty() ? std::string("Referer;")
                                                    : "Referer: " + std::string(Referer.View()));
    if (KeepAlive == 0)
        request.Headers.push_back("Connection: close");
    request.Cookies = std::string(CookiesText.View());
    request.Proxy = TNProxySettings::FromSetup();
    request.Cancel = call.cancel;

    ResultCode = 0;
    ResultString.Clear();
    TNHttpAnswer answer = PerformHttpExchange(request);
    if (!answer.Received) {
        LogTextInt(Line(call.caller, "[ERROR] ResultCode = ").c_str(), answer.StatusCode);
        LogWrite(Line(call.caller, "[ERROR] ResultString = ").c_str(), answer.StatusText.c_str(), false);
        ResultCode = answer.StatusCode;
        ResultString.Set(answer.StatusText);
        return false;
    }
    if (post)
        LogTextInt("[TNDownload::Post] ResultCode = ", answer.StatusCode);
    ResultCode = answer.StatusCode;
    CookiesText.Set(answer.Cookies);
    HeadersText.Set(answer.Headers);

    if (ResultCode >= 300 && ResultCode <= 307) {
        std::string location = FindLocation(answer.Headers);
        if (!location.empty()) {
            ResultString.Set(answer.StatusText);
            call.location = std::move(location);
            return true;
        }
    }

    Referer.Copy(&Host);
    ResultString.Set(answer.StatusText);
    documentBytes_ = std::move(answer.Body);
    DocumentText.Set(documentBytes_.c_str());
    if (call.saveAnswer)
        SaveAnswer(call);
    return true;
}

// The Location is resolved against the URL that answered with it.
bool TNDownload::FollowRedirect(Call& call)
{
    std::string target;
    bool usable = ResolveLocation(call.url, call.location, target) && RedirectAllowed(call, call.url, target);
    if (!usable || (*call.cancel && (*call.cancel)())) {
        LogWrite(Line(call.caller, "[ERROR][REDIRECT] refused: ").c_str(), call.location.c_str(), false);
        ResultString.Set("redirect refused: " + call.location.substr(0, 200));
        return false;
    }
    LogWrite(Line(call.caller, "[REDIRECT] ").c_str(), target.c_str(), false);
    call.url = target;
    return true;
}

bool TNDownload::RedirectAllowed(const Call& call, const std::string& from, const std::string& to) const
{
    TNUrlParts source;
    TNUrlParts target;
    if (!SplitAbsoluteUrl(from, source) || !SplitAbsoluteUrl(to, target))
        return false;
    if (source.Scheme == "https" && target.Scheme == "http")
        return false;
    if (call.method == Method::Get)
        return true;
    // A POST repeats its body, the password with it: only to the same
    // origin, or from http up to https on the same host.
    if (source.Host != target.Host)
        return false;
    return (source.Scheme == target.Scheme && source.Port == target.Port) ||
           (source.Scheme == "http" && target.Scheme == "https");
}

void TNDownload::SaveAnswer(const Call& call)
{
    std::string path;
    if (call.method == Method::Get && call.folder != nullptr) {
        Dirs.CreatePath(call.folder);
        path = PathInEnteredFolder(call.folder);
        if (!path.empty() && path.back() != '/')
            path += '/';
        path += OrEmpty(call.fileName);
    } else {
        char name[64];
        std::snprintf(name, sizeof(name), "%u-%05u.", TNLocalClock::Now32(), RandomNumber() % 65535);
        path = PathInEnteredFolder(name) + std::string(DocumentExt.View());
    }
    SavedFileName.Set(path);
    // An error page or an empty answer is no picture: nothing is written.
    if (ResultCode < 200 || ResultCode > 299 || documentBytes_.empty())
        return;
    if (!SaveAnswerBody(path, documentBytes_))
        LogWrite(Line(call.caller, "[ERROR][EXCEPTION] w->Document->SaveToFile: ").c_str(), path.c_str(), false);
}

void TNDownload::SplitUrl(const char* url)
{
    std::string_view text = OrEmpty(url);
    constexpr std::string_view scheme = "http://";
    size_t schemeAt = text.find(scheme);
    if (schemeAt == std::string_view::npos)
        return;
    size_t hostStart = schemeAt + scheme.size();
    size_t hostEnd = text.find('/', hostStart);
    if (hostEnd == std::string_view::npos)
        hostEnd = text.find('?', hostStart);
    if (hostEnd == std::string_view::npos)
        hostEnd = text.size();
    Host.Set(text.substr(hostStart, hostEnd - hostStart));

    if (text.size() - hostEnd < 2)
        return;
    size_t lastDot = std::string_view::npos;
    size_t stop = text.size();
    for (size_t i = hostEnd; i < text.size(); ++i) {
        if (text[i] == '?') {
            stop = i;
            break;
        }
        if (text[i] == '.')
            lastDot = i;
    }
    if (lastDot == std::string_view::npos)
        return;
    // Without a "?" after it, nothing names the extension.
    DocumentExt.Set(stop == text.size() ? std::string_view() : text.substr(lastDot + 1, stop - lastDot - 1));
}
