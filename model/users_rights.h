#pragma once

#include <cstdint>

// What the signed-in user may do with an organizer or a record.
struct TNUsersRights {
    int32_t Subscribe = 0;
    int32_t Origin = 0;
    // 100 owner, 80 and 60 by subscription, 0 none.
    int32_t Role = 0;
    bool CanEdit = false;
};
