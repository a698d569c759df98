// The new-account wizard's check of its field, step by step.

#include "dialog/new_account_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(NewAccountCheck, RefusesWhatTheSignInWouldRefuse)
{
    const std::string password = "heslo-123";
    const char* const nameChars = "Uživatelské jméno obsahuje nepovolené znaky\nPoužívejte pouze písmena bez "
                                  "diakritiky,\nčísla, pomlčky, tečky nebo podtržítka";
    const char* const nameOk = "To vypadá dobře\nChvilku vydržte - ověřuji, zda je volné...";
    const char* const passwordChars = "Heslo obsahuje nepovolené znaky\nMůžete kombinovat malá a VELKÁ písmena, "
                                      "čísla, mezery,\ntečky, pomlčky a znaky ! ? & + a podtržítko";
    const char* const passwordOk = "Skvělé!\nKlikněte na tlačítko Pokračovat...";
    const char* const emailOk = "E-mail zadán správně\nChvilku vydržte - ověřuji, zda již není registrován...";
    const char* const same = "Hesla se shodují, máme hotovo!\nKlikněte na tlačítko Dokončit";
    const char* const differ = "Hesla nejsou stejná...\nPokud se nedaří zadat stejné heslo, klikněte třikrát na "
                               "tlačítko Zpět a zadejte heslo znovu";
    struct Row {
        const char* name;
        int32_t step;
        std::string text;
        std::string message;
        bool valid;
    };
    const Row rows[] = {
        {"name of 2", 0, "ab", "Minimální délka uživatelského jména jsou 3 znaky", false},
        {"name of 3", 0, "abc", nameOk, true},
        {"name of 128", 0, std::string(128, 'a'), nameOk, true},
        {"name of 129", 0, std::string(129, 'a'), "Maximální délka uživatelského jména je 128 znaků", false},
        {"name with diacritics", 0, "novák", nameChars, false},
        {"name of digits", 0, "12345", "Uživatelské jméno nesmí být jen číslo\nPřidejte alespoň jedno písmeno", false},
        {"name with - _ .", 0, "a-b_c.d", nameOk, true},
        {"name with a blank", 0, "a b", nameChars, false},
        {"password of 5", 1, "12345", "Minimální délka hesla je 6 znaků", false},
        {"password of 6", 1, "123456", passwordOk, true},
        {"password of 35", 1, std::string(35, 'x'), passwordOk, true},
        {"password of 36", 1, std::string(36, 'x'), "Maximální délka hesla je 35 znaků", false},
        {"password with a blank", 1, "a b!?&+_", passwordChars, false},
        {"password with €", 1, "heslo€", passwordChars, false},
        {"e-mail", 2, "a@b.cz", emailOk, true},
        {"e-mail of 4", 2, "a@bc", kNewAccountDefaultEmailText, false},
        {"e-mail of 129", 2, std::string(121, 'a') + "@bcde.cz", kNewAccountDefaultEmailText, false},
        {"repeat equal", 4, password, same, true},
        {"repeat different", 4, "heslo-124", differ, false},
        {"repeat differing in case", 4, "HESLO-123", differ, false},
        {"terms", 3, "", "", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TNNewAccountCheck check = CheckNewAccountStep(row.step, row.text, password);
        EXPECT_EQ(check.Message, row.message);
        EXPECT_EQ(check.Valid, row.valid);
    }
    // CheckEmail's own message for an address it refuses.
    const TNNewAccountCheck lastDot = CheckNewAccountStep(2, "a@b.c", password);
    EXPECT_FALSE(lastDot.Valid);
    EXPECT_EQ(lastDot.Message.rfind("Za poslední tečkou musí být alespoň 2 znaky!", 0), 0u) << lastDot.Message;
}

} // namespace
