#include "ui/ThreadWindows.h"

namespace typa {
namespace {

struct DisableContext {
    HWND except;
    std::vector<HWND>* list;
};

BOOL CALLBACK DisableOne(HWND w, LPARAM lp) noexcept
{
    auto* ctx = reinterpret_cast<DisableContext*>(lp);
    if (w != ctx->except && IsWindowVisible(w) && IsWindowEnabled(w)) {
        try {
            ctx->list->push_back(w);
        } catch (...) {
            return TRUE; // out of memory: better left enabled than lost for good
        }
        EnableWindow(w, FALSE);
    }
    return TRUE;
}

} // namespace

std::vector<HWND> DisableThreadWindows(HWND except) noexcept
{
    std::vector<HWND> disabled;
    DisableContext ctx{except, &disabled};
    EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&ctx));
    return disabled;
}

void EnableWindowsAgain(const std::vector<HWND>& windows) noexcept
{
    for (HWND w : windows)
        if (IsWindow(w)) EnableWindow(w, TRUE);
}

} // namespace typa
