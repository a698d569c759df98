#pragma once

#include "foundation/app_info.h"
#include "foundation/log.h"
#include "platform/core/codepage.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <string>

namespace testing_support {

// Switches logging on into a fresh folder for the scope and gives back what
// was logged, as the program's CP1250 text with "\r\n" line ends. The
// previous switch and folder come back at the end.
class LogCapture {
public:
    LogCapture() : savedWriteLog_(App.WriteLog)
    {
        App.WriteLog = 1;
        SetLogDir(folder_.Path().c_str());
        SetLogMutexName("logMutexCapture");
    }
    ~LogCapture()
    {
        SetLogDir("");
        App.WriteLog = savedWriteLog_;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Every line so far, the day files in date order.
    std::string Text() const
    {
        std::vector<std::string> names = folder_.Entries();
        std::sort(names.begin(), names.end());
        std::string all;
        for (const std::string& name : names)
            all += ReadFile(folder_.Path() + name);
        return plat::Utf8ToCp1250(all);
    }

private:
    ScratchFolder folder_;
    uint8_t savedWriteLog_;
};

} // namespace testing_support
