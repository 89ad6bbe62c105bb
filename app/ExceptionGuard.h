#pragma once
// No exception may leave a window or dialog procedure: the compiler's unwinder cannot pass
// through the system's frames. Every callback runs its body through Guarded, which hands a
// failure to the program's one handler (the unexpected-error box) and returns a safe value.
#include <exception>
#include <utility>

namespace typa {

// Shows the exception currently being handled; the program then carries on.
void ReportCurrentException() noexcept;

template <class R, class F>
R Guarded(R onError, F&& body) noexcept
{
    try {
        return std::forward<F>(body)();
    } catch (...) {
        ReportCurrentException();
        return onError;
    }
}

} // namespace typa
