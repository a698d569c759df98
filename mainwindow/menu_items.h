#pragma once

#include "platform/gui/menu.h"

#include <functional>
#include <string>

// Adds a named item under `parent`, owned by `owner`; a click runs `click`.
plat::TMenuItem* AddMenuItem(plat::TComponent* owner, plat::TMenuItem* parent, const char* name,
                             const std::string& caption, std::function<void()> click = {});
