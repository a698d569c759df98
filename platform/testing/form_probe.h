#pragma once

namespace plat {
class TForm;

namespace testing {

// Whether the form's own vertical scroll bar is on show, as Qt has it.
bool ShowsVerticalScrollBar(const TForm& form);

} // namespace testing
} // namespace plat
