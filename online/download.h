#pragma once

#include "foundation/string.h"
#include "online/transport.h"

#include <cstdint>
#include <string>

// The transport of every request to the account service: a POST of a
// finished form body, or a GET of a picture. A caller makes one object,
// calls one operation and reads the answer fields. The text fields carry
// over to the next call on the same object, cookies included; an object is
// never shared between threads.
class TNDownload {
public:
    uint8_t KeepAlive = 1;
    TNString UserAgent;
    // Sent as "Referer"; after an answer that was not a redirect, the host
    // of that request.
    TNString Referer;
    TNString Host;
    TNString CookiesText;
    // After an answer: its header lines.
    TNString HeadersText;
    // After an answer that was not a redirect: its body up to the first zero
    // byte; DocumentBytes holds all of it.
    TNString DocumentText;
    TNString SavedFileName;
    TNString DocumentExt;
    int32_t ResultCode = 0;
    TNString ResultString;

    TNDownload();

    void SetDefaults();

    // True when an answer arrived, whatever its status; redirects are
    // followed. A saved answer goes to a generated name in the working folder.
    bool Post(const char* url, const char* data, bool saveAnswer, const TNCancelCheck& cancel = {});
    // As Post, without a body. With a folder, the answer is saved there under
    // fileName. Redirects may lead to another host.
    bool Get(const char* url, bool saveAnswer, const char* folder = nullptr, const char* fileName = nullptr,
             const TNCancelCheck& cancel = {});

    // Host and DocumentExt of a plain-http URL; other URLs change nothing.
    void SplitUrl(const char* url);

    // The whole body of the last answer that was not a redirect.
    const std::string& DocumentBytes() const { return documentBytes_; }

private:
    enum class Method { Post, Get };
    struct Call {
        Method method;
        const char* caller;
        std::string url;
        // The Location of a redirect answer, as sent.
        std::string location;
        const char* data;
        bool saveAnswer;
        const char* folder;
        const char* fileName;
        const TNCancelCheck* cancel;
    };

    bool Perform(Call& call);
    bool PerformOne(Call& call);
    bool FollowRedirect(Call& call);
    bool RedirectAllowed(const Call& call, const std::string& from, const std::string& to) const;
    void SaveAnswer(const Call& call);

    std::string documentBytes_;
};
