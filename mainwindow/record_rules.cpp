#include "mainwindow/record_rules.h"

#include "mainwindow/main_window.h"
#include "model/record.h"

const char* DayboxNameOfView(int32_t view, int32_t calendarMode)
{
    if (view == TfrmMainDLMR1::kHomepage)
        return "scrollHpCalendarDaybox";
    if (view != TfrmMainDLMR1::kCalendar)
        return nullptr;
    switch (calendarMode) {
    case 1:
        return "scrollCalendar_DayDaybox";
    case 2:
        return "scrollCalendar_WorkWeekDaybox";
    case 3:
        return "scrollCalendar_WeekDaybox";
    case 4:
        return "scrollCalendar_MonthDaybox";
    default:
        return nullptr;
    }
}

const char* ImportanceMenuItemName(int32_t importance)
{
    switch (importance) {
    case 99:
        return "pmnuImportance99";
    case 10:
        return "pmnuImportance10";
    case -10:
        return "pmnuImportanceMinus10";
    default:
        return "pmnuImportance0";
    }
}

TNRecordMenuState RecordMenuState(int32_t type, int32_t finished, uint32_t parentId, int32_t role)
{
    TNRecordMenuState state;
    if (finished == 0) {
        state.NoneChecked = true;
    } else if (finished == 1) {
        state.FinishedChecked = true;
    } else {
        state.StatusEnabled = false;
        state.UnknownStatus = true;
    }
    state.DeleteEnabled = role == 100;
    if (type == rtNote) {
        state.StatusShown = false;
        state.AddSubrecordShown = false;
        state.AddSubrecordEnabled = false;
    } else {
        state.AddSubrecordEnabled = parentId == 0;
    }
    return state;
}

std::string PercentEncodePathSegment(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool keeps = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
        if (keeps) {
            out += ch;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string RecordWebAddress(std::string_view scheme, std::string_view domain, std::string_view webName,
                             uint32_t organizerId, uint32_t recordId)
{
    std::string address;
    address.append(scheme).append("://").append(domain).append("/kalendare/");
    address += webName.empty() ? std::to_string(organizerId) : PercentEncodePathSegment(webName);
    address += "/" + std::to_string(recordId) + "/";
    return address;
}
