#pragma once

#include <cstdint>
#include <string>

// The new-account wizard's check of its field at one step: the explanation
// shown under the field, whether Continue may be pressed on the strength of
// this check, and whether the step's availability test is to be asked.
struct TNNewAccountCheck {
    std::string Message;
    bool Valid = false;
};

// The explanations a step shows before anything is typed.
extern const char* const kNewAccountDefaultText;
extern const char* const kNewAccountDefaultPassText;
extern const char* const kNewAccountDefaultEmailText;
extern const char* const kNewAccountRepeatText;

// Step 0 user name, 1 password, 2 e-mail, 4 the password again (compared
// with `password`); other steps are always valid with no message.
TNNewAccountCheck CheckNewAccountStep(int32_t step, const std::string& text, const std::string& password);
