#pragma once

#include "foundation/log.h"

#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

// Exception codes the guard hands to ExceptionHandler.
constexpr uint32_t kExceptionNoMemory = 0xC0000017;
constexpr uint32_t kExceptionOther = 0;

// The catch-all guard around a method body: runs it, and when a C++
// exception escapes, logs it with the caller's "[Class::Method]" and returns
// the method's default. Hardware faults are not caught; code checks its
// pointers and counts itself.
//
//     return Guarded("[TNCommon::CopyFile]", false, [&] { ...; return true; });
template <class Fallback, class Body, class Result = std::invoke_result_t<Body&>>
Result Guarded(const char* caller, Fallback&& fallback, Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        ExceptionHandler(caller, kExceptionNoMemory, 0);
    } catch (...) {
        ExceptionHandler(caller, kExceptionOther, 0);
    }
    return static_cast<Result>(std::forward<Fallback>(fallback));
}

// The same for a method without a result.
template <class Body> void Guarded(const char* caller, Body&& body) noexcept
{
    try {
        std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        ExceptionHandler(caller, kExceptionNoMemory, 0);
    } catch (...) {
        ExceptionHandler(caller, kExceptionOther, 0);
    }
}

// Runs its function when the scope ends, by whatever way out, an exception
// included: the release of a busy byte or a modal marker.
//
//     TNScopeExit release([&] { busy = false; });
template <class Function> class TNScopeExit {
public:
    explicit TNScopeExit(Function function) : function_(std::move(function)) {}
    ~TNScopeExit() { function_(); }
    TNScopeExit(const TNScopeExit&) = delete;
    TNScopeExit& operator=(const TNScopeExit&) = delete;

private:
    Function function_;
};
