#include "online/http_exchange.h"

#include "platform/core/file.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct EasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, SlistFree>;

struct UrlCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlCleanup>;

// The thread's handle lives until the thread ends. Kept between calls, it
// keeps its live connections and TLS session data, so requests reuse them.
thread_local EasyHandle threadHandle;

// The handle for one call: the thread's own, reset, or a fresh one that the
// lease frees.
class HandleLease {
public:
    explicit HandleLease(bool reuse)
    {
        if (!reuse) {
            owned_.reset(curl_easy_init());
            handle_ = owned_.get();
            return;
        }
        if (!threadHandle)
            threadHandle.reset(curl_easy_init());
        else
            curl_easy_reset(threadHandle.get());
        handle_ = threadHandle.get();
    }
    CURL* Get() const { return handle_; }

private:
    EasyHandle owned_;
    CURL* handle_ = nullptr;
};

// What the callbacks fill, with the bounds they keep.
struct Collected {
    TNHttpAnswer* Answer;
    uint64_t MaxBodyBytes;
    bool TooLong = false;
};

// Returning less than it was given ends the transfer as a write error.
size_t CollectBody(char* data, size_t size, size_t count, void* target)
{
    auto* collected = static_cast<Collected*>(target);
    const size_t bytes = size * count;
    if (collected->Answer->Body.size() + bytes > collected->MaxBodyBytes) {
        collected->TooLong = true;
        return 0;
    }
    // Grown by doubling, in sizes that halve down from the bound so that the
    // last step is from half the bound to the bound, never past it. A fresh
    // string takes exactly the size asked: reserve() on the full one doubles
    // its capacity whenever that is more than asked.
    std::string& body = collected->Answer->Body;
    if (body.size() + bytes > body.capacity()) {
        const uint64_t wanted = std::max<uint64_t>(uint64_t{body.capacity()} * 2, body.size() + bytes);
        uint64_t size = collected->MaxBodyBytes;
        while (size / 2 >= wanted)
            size /= 2;
        std::string grown;
        grown.reserve(static_cast<size_t>(size));
        grown.append(body);
        body.swap(grown);
    }
    body.append(data, bytes);
    return bytes;
}

// Keeps the header lines of the last answer only: a new status line starts
// them again, and its reason becomes the status text.
size_t CollectHeader(char* data, size_t size, size_t count, void* target)
{
    auto* collected = static_cast<Collected*>(target);
    TNHttpAnswer* answer = collected->Answer;
    std::string_view line(data, size * count);
    if (line.substr(0, 5) == "HTTP/") {
        answer->Headers.clear();
        answer->StatusText.clear();
        size_t codeStart = line.find(' ');
        size_t reasonStart = codeStart == std::string_view::npos ? codeStart : line.find(' ', codeStart + 1);
        if (reasonStart != std::string_view::npos) {
            std::string_view reason = line.substr(reasonStart + 1, 200);
            while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
                reason.remove_suffix(1);
            answer->StatusText.assign(reason);
        }
    } else if (line != "\r\n" && line != "\n") {
        if (answer->Headers.size() + line.size() > kMaxAnswerHeaderBytes) {
            collected->TooLong = true;
            return 0;
        }
        answer->Headers.append(line);
    }
    return size * count;
}

int PollCancel(void* target, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* request = static_cast<const TNHttpRequest*>(target);
    if (TransfersCancelled())
        return 1;
    return request->Cancel != nullptr && *request->Cancel && (*request->Cancel)() ? 1 : 0;
}

void LoadCookies(CURL* handle, const std::string& cookies)
{
    // Switches the cookie engine on. A reset keeps the cookies of earlier
    // calls, which belong to other objects: they go first.
    curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(handle, CURLOPT_COOKIELIST, "ALL");
    size_t start = 0;
    while (start < cookies.size()) {
        size_t end = cookies.find('\n', start);
        if (end == std::string::npos)
            end = cookies.size();
        std::string line = cookies.substr(start, end - start);
        if (!line.empty())
            curl_easy_setopt(handle, CURLOPT_COOKIELIST, line.c_str());
        start = end + 1;
    }
}

std::string TakeCookies(CURL* handle)
{
    curl_slist* list = nullptr;
    std::string cookies;
    if (curl_easy_getinfo(handle, CURLINFO_COOKIELIST, &list) != CURLE_OK)
        return cookies;
    for (curl_slist* item = list; item != nullptr; item = item->next) {
        cookies += item->data;
        cookies += '\n';
    }
    curl_slist_free_all(list);
    return cookies;
}

void SetProxy(CURL* handle, const TNProxySettings& proxy)
{
    // An empty proxy also keeps libcurl from reading the proxy variables of
    // the environment.
    if (!proxy.Use || proxy.Host.IsEmpty()) {
        curl_easy_setopt(handle, CURLOPT_PROXY, "");
        return;
    }
    curl_easy_setopt(handle, CURLOPT_PROXY, proxy.Host.Text);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
    long port = std::strtol(proxy.Port.Text != nullptr ? proxy.Port.Text : "", nullptr, 10);
    if (port > 0 && port < 65536)
        curl_easy_setopt(handle, CURLOPT_PROXYPORT, port);
    if (proxy.Auth) {
        curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, proxy.User.Text != nullptr ? proxy.User.Text : "");
        curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD, proxy.Pass.Text != nullptr ? proxy.Pass.Text : "");
    }
}

void SetConnectionRules(CURL* handle, const TNTransportConfig& config)
{
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!config.CaFile.empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, config.CaFile.c_str());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(config.ConnectTimeoutMs));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(config.TotalTimeoutMs));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(config.LowSpeedBytesPerSecond));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(config.LowSpeedSeconds));
    curl_easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
}

void SetMethod(CURL* handle, const TNHttpRequest& request)
{
    if (request.Method == "POST") {
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.Body.size()));
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.Body.empty() ? "" : request.Body.data());
    } else if (request.Method == "HEAD") {
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
        if (request.Method != "GET")
            curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, request.Method.c_str());
    }
}

} // namespace

TNHttpAnswer PerformHttpExchange(const TNHttpRequest& request)
{
    TNHttpAnswer answer;
    if (TransfersCancelled()) {
        answer.StatusText = "cancelled at the end of the program";
        return answer;
    }
    TNTransportConfig config = GetTransportConfig();
    if (request.MaxConnectMs > 0)
        config.ConnectTimeoutMs = std::min(config.ConnectTimeoutMs, request.MaxConnectMs);
    if (request.MaxTotalMs > 0)
        config.TotalTimeoutMs = std::min(config.TotalTimeoutMs, request.MaxTotalMs);
    HandleLease lease(config.ReuseHandle);
    CURL* handle = lease.Get();
    if (handle == nullptr) {
        answer.StatusText = "no HTTP client";
        return answer;
    }

    SetConnectionRules(handle, config);
    SetProxy(handle, request.Proxy);
    curl_easy_setopt(handle, CURLOPT_URL, request.Url.c_str());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, request.UserAgent.c_str());
    curl_slist* headers = nullptr;
    for (const std::string& line : request.Headers)
        headers = curl_slist_append(headers, line.c_str());
    // libcurl's own "Expect: 100-continue" would cost a round trip per POST.
    headers = curl_slist_append(headers, "Expect:");
    HeaderList headerList(headers);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    LoadCookies(handle, request.Cookies);
    SetMethod(handle, request);

    Collected collected{&answer, request.MaxBodyBytes};
    // A declared length over the bound fails before any byte of the body.
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.MaxBodyBytes));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &collected);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, CollectHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &collected);
    // Always polled: the end of the program cancels every transfer at once.
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, PollCancel);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &request);
    char error[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error);

    CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    answer.StatusCode = static_cast<int32_t>(status);
    answer.Received = result == CURLE_OK;
    if (answer.Received) {
        answer.Cookies = TakeCookies(handle);
    } else if (collected.TooLong || result == CURLE_FILESIZE_EXCEEDED) {
        answer.StatusText = "answer longer than " + std::to_string(request.MaxBodyBytes) + " bytes; cut off";
    } else {
        answer.StatusText = error[0] != '\0' ? error : curl_easy_strerror(result);
    }
    if (!answer.Received) {
        // Nothing of a failed answer is kept.
        std::string().swap(answer.Body);
        answer.Headers.clear();
    }

    // Nothing of this call may outlive it on the kept handle. The reset
    // would lose libcurl's list of cookie files without freeing it.
    curl_easy_setopt(handle, CURLOPT_COOKIEFILE, nullptr);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, nullptr);
    return answer;
}

bool SplitAbsoluteUrl(const std::string& url, TNUrlParts& parts)
{
    UrlHandle handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return false;
    auto part = [&](CURLUPart which, unsigned flags, std::string& out) {
        char* text = nullptr;
        if (curl_url_get(handle.get(), which, &text, flags) != CURLUE_OK)
            return false;
        out = text;
        curl_free(text);
        return true;
    };
    if (!part(CURLUPART_SCHEME, 0, parts.Scheme) || !part(CURLUPART_HOST, 0, parts.Host) ||
        !part(CURLUPART_PORT, CURLU_DEFAULT_PORT, parts.Port))
        return false;
    return parts.Scheme == "http" || parts.Scheme == "https";
}

bool ResolveLocation(const std::string& requestUrl, const std::string& location, std::string& resolved)
{
    UrlHandle handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, requestUrl.c_str(), 0) != CURLUE_OK)
        return false;
    if (curl_url_set(handle.get(), CURLUPART_URL, location.c_str(), 0) != CURLUE_OK)
        return false;
    char* text = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_URL, &text, 0) != CURLUE_OK)
        return false;
    resolved = text;
    curl_free(text);
    TNUrlParts parts;
    return SplitAbsoluteUrl(resolved, parts);
}

bool SaveAnswerBody(const std::string& path, std::string_view body)
{
    return plat::WriteFileAtomically(path, body);
}
