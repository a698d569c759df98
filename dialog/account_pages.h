#pragma once

// The fixed controls of the proxy, new-account and basic-profile pages, made
// as a form designer would, the first time a dialog shows one of them.

namespace plat {
class TButton;
class TCheckBox;
class TEdit;
class TLabel;
class TPanel;
} // namespace plat

struct TNProxyPage {
    plat::TCheckBox* checkPouzivatProxy = nullptr;
    plat::TPanel* p11Proxy = nullptr;
    plat::TLabel* labelProxyHost = nullptr;
    plat::TLabel* labelProxyPort = nullptr;
    plat::TLabel* labelProxyUser = nullptr;
    plat::TLabel* labelProxyPass = nullptr;
    plat::TEdit* editProxyHost = nullptr;
    plat::TEdit* editProxyPort = nullptr;
    plat::TEdit* editProxyUser = nullptr;
    plat::TEdit* editProxyPass = nullptr;
    plat::TCheckBox* checkPouzivatOvereniProxy = nullptr;
    plat::TButton* btnAutoProxy = nullptr;
    plat::TLabel* labelNastaveniProxy = nullptr;
    plat::TButton* btnNastaveniProxy = nullptr;
};

struct TNNewUserPage {
    plat::TLabel* label6HintShadow = nullptr;
    plat::TLabel* label6Hint = nullptr;
    plat::TLabel* label6Title = nullptr;
    plat::TEdit* edit6Value = nullptr;
    plat::TLabel* label6Terms = nullptr;
    plat::TButton* btn6Back = nullptr;
    plat::TButton* btn6Continue = nullptr;
    plat::TLabel* label6Info = nullptr;
    // The availability answer for the text now in the field said free.
    bool answeredFree = false;
};

struct TNProfilePage {
    plat::TLabel* label11Info = nullptr;
    plat::TLabel* label11FirstName = nullptr;
    plat::TEdit* edit11FirstName = nullptr;
    plat::TLabel* label11LastName = nullptr;
    plat::TEdit* edit11LastName = nullptr;
    plat::TLabel* label11Info2 = nullptr;
    plat::TLabel* label11Info3 = nullptr;
    plat::TLabel* label11UserIDInfo = nullptr;
    plat::TLabel* label11UserID = nullptr;
    plat::TLabel* label11UsernameInfo = nullptr;
    plat::TLabel* label11Username = nullptr;
    plat::TLabel* label11EmailInfo = nullptr;
    plat::TLabel* label11Email = nullptr;
    plat::TLabel* label11Info4 = nullptr;
};
