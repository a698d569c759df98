#include "dialog/new_account_check.h"

#include "foundation/common.h"

namespace {

constexpr size_t kMinName = 3;
constexpr size_t kMaxText = 128;
constexpr size_t kMinPassword = 6;
// The longest password the login page takes.
constexpr size_t kMaxPassword = 35;
constexpr size_t kMinEmail = 5;

TNNewAccountCheck Refused(const char* message)
{
    return {message, false};
}

TNNewAccountCheck CheckName(const std::string& text)
{
    if (text.size() < kMinName)
        return Refused("Minimální délka uživatelského jména jsou 3 znaky");
    if (text.size() > kMaxText)
        return Refused("Maximální délka uživatelského jména je 128 znaků");
    if (!TNCommon::CheckLogin(text.c_str()))
        return Refused("Uživatelské jméno obsahuje nepovolené znaky\nPoužívejte pouze písmena bez diakritiky,\nčísla, "
                       "pomlčky, tečky nebo podtržítka");
    if (TNCommon::IsDigitsOnly(text.c_str()))
        return Refused("Uživatelské jméno nesmí být jen číslo\nPřidejte alespoň jedno písmeno");
    return {"To vypadá dobře\nChvilku vydržte - ověřuji, zda je volné...", true};
}

TNNewAccountCheck CheckPassword(const std::string& text)
{
    if (text.size() < kMinPassword)
        return Refused("Minimální délka hesla je 6 znaků");
    if (text.size() > kMaxPassword)
        return Refused("Maximální délka hesla je 35 znaků");
    if (!TNCommon::CheckPassword(text.c_str()))
        return Refused(
            "Heslo obsahuje nepovolené znaky\nMůžete kombinovat malá a VELKÁ písmena, čísla, mezery,\ntečky, "
            "pomlčky a znaky ! ? & + a podtržítko");
    return {"Skvělé!\nKlikněte na tlačítko Pokračovat...", true};
}

TNNewAccountCheck CheckEmail(const std::string& text)
{
    if (text.size() < kMinEmail || text.size() > kMaxText)
        return Refused(kNewAccountDefaultEmailText);
    if (c.CheckEmail(text.c_str(), false) != 1)
        return {std::string(c.EmailMessage.View()), false};
    return {"E-mail zadán správně\nChvilku vydržte - ověřuji, zda již není registrován...", true};
}

TNNewAccountCheck CheckRepeat(const std::string& text, const std::string& password)
{
    if (text.size() < kMinPassword)
        return Refused("Minimální délka hesla je 6 znaků");
    if (text == password)
        return {"Hesla se shodují, máme hotovo!\nKlikněte na tlačítko Dokončit", true};
    return Refused("Hesla nejsou stejná...\nPokud se nedaří zadat stejné heslo, klikněte třikrát na tlačítko Zpět a "
                   "zadejte heslo znovu");
}

} // namespace

const char* const kNewAccountDefaultText =
    "Zvolte si uživatelské jméno.\nPoužívejte písmena bez diakritiky, čísla,\npomlčky, tečky nebo podtržítka";
const char* const kNewAccountDefaultPassText =
    "Ochraňte Váš uživatelský účet heslem.\nMůžete kombinovat malá a VELKÁ písmena, čísla,\ntečky, pomlčky a znaky ! ? "
    "& + a podtržítko.\nMinimální délka hesla je 6 znaků";
const char* const kNewAccountDefaultEmailText =
    "V případě, že zapomenete heslo do Dalmora,\npomůžeme Vám s jeho obnovou\npomocí této e-mailové adresy";
const char* const kNewAccountRepeatText =
    "Abychom se ujistili, že si pamatujete heslo, a že jste jej zadali v předchozím dialogu správně, zadejte nyní "
    "znovu heslo. Je to poslední krok...";

TNNewAccountCheck CheckNewAccountStep(int32_t step, const std::string& text, const std::string& password)
{
    switch (step) {
    case 0:
        return CheckName(text);
    case 1:
        return CheckPassword(text);
    case 2:
        return CheckEmail(text);
    case 4:
        return CheckRepeat(text, password);
    default:
        return {"", true};
    }
}
