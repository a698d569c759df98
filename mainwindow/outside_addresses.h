#pragma once

#include <string>

// Web addresses of outside parties that the product owner supplies: the
// mobile app's store page, the partner named in the status bar, the two
// help pages (icon set attribution, download portal), and the About page's
// support mail ("mailto:"), news page, third social page and the maker's
// web. Empty until supplied: a menu item or About link with an empty address
// is hidden, a click on a panel with one logs and opens nothing.
struct TNOutsideAddresses {
    std::string MobileAppStore;
    std::string StatusBarPartner;
    std::string IconSetAttribution;
    std::string DownloadPortal;
    std::string SupportMail;
    std::string NewsPage;
    std::string ThirdSocialPage;
    std::string AuthorWeb;
};

extern TNOutsideAddresses OutsideAddresses;

// Opens the address in the browser; an empty one logs `caller` with a note
// and opens nothing. True when the browser was started.
bool OpenOutsideAddress(const std::string& address, const char* caller);
