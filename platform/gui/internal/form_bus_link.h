#pragma once

// Internal: what forms tell the window bus about themselves.

#include <string>

namespace plat {

class TForm;

void BusFormExported(TForm& form, const std::string& className);
// Shown or activated: its registration moves to the top.
void BusFormRaised(TForm& form);
void BusFormGone(TForm& form);

} // namespace plat
