#pragma once

#include "platform/core/paths.h"
#include "tests/platform/process_fixture.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace testing_support {

// Ways to leave a data home whose users folder ("<home>/<producer>/") this
// process cannot write in. Root writes whatever a mode says, so the cases
// that rest on modes are left out for it.
struct UnusableUsersFolder {
    const char* name;
    bool (*block)(const std::string& home, const std::string& producer);
};

inline std::vector<UnusableUsersFolder> UnusableUsersFolders()
{
    std::vector<UnusableUsersFolder> cases = {
        {"the data home is a file",
         [](const std::string& home, const std::string&) { return testenv::MakeFile(home); }},
    };
    if (geteuid() != 0) {
        cases.push_back({"the users folder has mode 000", [](const std::string& home, const std::string& producer) {
                             const std::string folder = home + "/" + producer;
                             return plat::CreateFolders(folder + "/") && chmod(folder.c_str(), 0) == 0;
                         }});
    }
    return cases;
}

} // namespace testing_support
