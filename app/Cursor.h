#pragma once
// The mouse cursor for one scope: the given shape now (the hourglass for a long step, the arrow
// for a box), the cursor from before at the end of the scope, the arrow when there was none.
#include <windows.h>

namespace typa {

class CursorScope {
public:
    explicit CursorScope(LPCSTR shape) noexcept : m_previous(SetCursor(LoadCursorA(nullptr, shape))) {}
    ~CursorScope() { SetCursor(m_previous ? m_previous : LoadCursorA(nullptr, IDC_ARROW)); }
    CursorScope(const CursorScope&) = delete;
    CursorScope& operator=(const CursorScope&) = delete;

private:
    HCURSOR m_previous;
};

} // namespace typa
