#pragma once

#include <string>

namespace plat {

// The login name of the user running the program.
std::string LoginName();

// The short host name: upper-case, cut at the first dot, at most 15 characters.
std::string ShortHostName();

} // namespace plat
