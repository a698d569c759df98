#pragma once

#include "platform/gui/win_control.h"

#include <string>

namespace plat {

// A date field with a calendar pop-up, shown as " po 01. ledna 2024" (Czech
// day and genitive month names, whatever the system locale). Date set by
// code fires nothing; the user's change fires OnChange.
class TDateTimePicker : public TWinControl {
public:
    explicit TDateTimePicker(TComponent* owner);
    const char* ClassName() const override { return "TDateTimePicker"; }

    // Year, month and day.
    void Date(int& year, int& month, int& day) const;
    void SetDate(int year, int month, int day);
    // The date as the field shows it, CP1250.
    std::string ShownText() const;

    TNotifyEvent OnChange;

protected:
    void Detach() override;

private:
    bool byCode_ = false;
};

} // namespace plat
