#include "online/web_send.h"

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "online/http_exchange.h"

#include <new>

namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)";

std::vector<std::string> HeaderLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

} // namespace

void TNWebSend::Set(bool useProxy, const char* host, const char* password, const char* user, bool needsAuth,
                    const char* port)
{
    UseProxy = useProxy;
    ProxyHost.Set(host);
    ProxyPass.Set(password);
    ProxyUser.Set(user);
    ProxyAuth = needsAuth;
    ProxyPort.Set(port);
}

int32_t TNWebSend::Send(const char* url, const char* method, bool sendHeaders, bool takeHeaders, bool takeCookies,
                        const char* saveToFile, bool parse, const TNCancelCheck& cancel)
{
    try {
        TNHttpRequest request;
        request.Method = method != nullptr ? method : "GET";
        request.Url = url != nullptr ? url : "";
        request.UserAgent = kUserAgent;
        request.Cookies = std::string(CookiesText.View());
        if (sendHeaders)
            request.Headers = HeaderLines(HeadersText.View());
        // A development server is always reached directly.
        if (UseProxy && App.IsDevServer == 0) {
            request.Proxy.Use = true;
            request.Proxy.Host = ProxyHost;
            request.Proxy.Port = ProxyPort;
            request.Proxy.Auth = ProxyAuth;
            request.Proxy.User = ProxyUser;
            request.Proxy.Pass = ProxyPass;
        }
        request.Cancel = &cancel;
        // An update chunk or a short text: far below this.
        request.MaxBodyBytes = kMaxSimpleAnswerBytes;

        TNHttpAnswer answer = PerformHttpExchange(request);
        if (!answer.Received) {
            DocumentText.Clear();
            return kFailed;
        }
        if (saveToFile != nullptr && saveToFile[0] != '\0' && answer.StatusCode >= 200 && answer.StatusCode <= 299) {
            TNString folder;
            if (Dirs.GetCurrentDir(folder))
                Dirs.CreatePath(folder.Text);
            SaveAnswerBody(PathInEnteredFolder(saveToFile), answer.Body);
        }
        if (takeCookies)
            CookiesText.Set(answer.Cookies);
        if (takeHeaders)
            HeadersText.Set(answer.Headers);
        DocumentText.Set(answer.Body.empty() ? std::string_view("OK") : std::string_view(answer.Body));
        if (parse) {
            Answer = std::make_unique<TNWebAnswer>();
            Answer->Parse(DocumentText.View());
        }
        return kAnswered;
    } catch (...) {
        DocumentText.Set("Nastala vyjimka...");
        return kException;
    }
}

TNString IntToAnsiString(int32_t number)
{
    TNString text;
    text.SetInt(number);
    return text;
}
