#pragma once

#include <gtest/gtest.h>

#include <string>

// Collects what the log writer emits while it lives.
class LogCapture {
public:
    LogCapture() { ::testing::internal::CaptureStderr(); }
    ~LogCapture()
    {
        if (!taken_)
            ::testing::internal::GetCapturedStderr();
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Ends the capture; the log as UTF-8 text.
    std::string Text()
    {
        if (!taken_) {
            text_ = ::testing::internal::GetCapturedStderr();
            taken_ = true;
        }
        return text_;
    }

private:
    bool taken_ = false;
    std::string text_;
};
