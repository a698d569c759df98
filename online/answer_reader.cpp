#include "online/answer_reader.h"

#include "foundation/log.h"
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

bool ReadAnswerCount(TNString* answer, const char* key, const TNString& holder, int32_t minItemBytes,
                     const char* caller, int32_t* out)
{
    TNString value;
    if (!answer->GetXmlValue(key, nullptr, 0, &value, false))
        return false;
    const int64_t count = AnswerInt(value);
    const int64_t room = minItemBytes > 0 ? holder.Length / minItemBytes : holder.Length;
    if (count < 0 || count > room) {
        std::string line = std::string(key) + " = " + std::string(value.View()) + " does not fit the answer";
        LogWrite(caller, line.c_str(), false);
        return false;
    }
    *out = static_cast<int32_t>(count);
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
