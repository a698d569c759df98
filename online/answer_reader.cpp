#include "online/answer_reader.h"

#include "model/numbers.h"

#include <string>

int64_t AnswerInt(const TNString& value)
{
    return TextToNumber(value);
}

uint32_t AnswerUInt(const TNString& value)
{
    int64_t number = TextToNumber(value);
    return number > 0 && number <= static_cast<int64_t>(UINT32_MAX) ? static_cast<uint32_t>(number) : 0;
}

bool ReadAnswerText(TNString* answer, const char* key, TNString* out)
{
    TNString value;
    if (!answer->GetXmlValue(key, nullptr, 0, &value, true))
        return false;
    *out = std::move(value);
    return true;
}

bool HasAnswerElement(TNString* answer, const char* key)
{
    return answer->GetXmlValue(key, nullptr, 0, nullptr, false);
}

TNString WithoutSyncBlock(const TNString& answer)
{
    TNString copy(answer);
    int32_t start = copy.Find("<api-sync-pim", 0, 0, false, false, false);
    if (copy.Found == 0)
        return copy;
    int32_t end = copy.Find("</api-sync-pim>", start, 0, false, true, false);
    if (copy.Found == 0)
        end = copy.Length;
    std::string_view text = copy.View();
    return TNString(std::string(text.substr(0, static_cast<size_t>(start))) +
                    std::string(text.substr(static_cast<size_t>(end))));
}
