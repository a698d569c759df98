#include "online/http_send.h"

#include "online/web_send.h"

TNString HttpSend(const char* url, TNWebAnswer* answer, bool fillList, const TNCancelCheck& cancel)
{
    TNWebSend request;
    TNProxySettings proxy = TNProxySettings::FromSetup();
    request.Set(proxy.Use, proxy.Host.Text, proxy.Pass.Text, proxy.User.Text, proxy.Auth, proxy.Port.Text);
    request.Send(url, "GET", false, false, false, nullptr, fillList, cancel);
    if (fillList && answer != nullptr && request.Answer != nullptr && request.Answer->Count() > 0)
        answer->CopyFrom(*request.Answer);
    return request.DocumentText;
}
