#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the record actions decide without any control: the day box a new
// record takes its date from, the record card menu's marks and the web
// address of a record.

// The name of the day box of the shown page (a control-bar view id) and
// calendar mode (1 one day, 2 work week, 3 week, 4 month); null when the
// page shows none.
const char* DayboxNameOfView(int32_t view, int32_t calendarMode);

// The item of the importance menu that gets the check mark.
const char* ImportanceMenuItemName(int32_t importance);

// The record card menu for a record.
struct TNRecordMenuState {
    bool StatusEnabled = true;
    bool NoneChecked = false;
    bool FinishedChecked = false;
    // Finished held a value the status items do not know.
    bool UnknownStatus = false;
    bool StatusShown = true;
    bool AddSubrecordShown = true;
    bool AddSubrecordEnabled = true;
    bool DeleteEnabled = false;
};
// `role` is the user's rights level on the record.
TNRecordMenuState RecordMenuState(int32_t type, int32_t finished, uint32_t parentId, int32_t role);

// Percent-encodes the bytes of one path segment: only letters, digits and
// "-._~" stay.
std::string PercentEncodePathSegment(std::string_view bytes);

// scheme "://" domain "/kalendare/" (the organizer's web name, or its id
// without one) "/" record id "/".
std::string RecordWebAddress(std::string_view scheme, std::string_view domain, std::string_view webName,
                             uint32_t organizerId, uint32_t recordId);
