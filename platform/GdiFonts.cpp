#include "platform/GdiFonts.h"
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

namespace typa::gdi {
namespace {

struct EnumContext {
    const FamilyCallback* callback;
    std::exception_ptr failure;
};

int CALLBACK EnumProc(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type, LPARAM param)
{
    auto* ctx = reinterpret_cast<EnumContext*>(param);
    try {
        return (*ctx->callback)(*reinterpret_cast<const ENUMLOGFONTA*>(font),
                                *reinterpret_cast<const NEWTEXTMETRICA*>(metrics), type)
                   ? 1
                   : 0;
    } catch (...) {
        ctx->failure = std::current_exception();
        return 0;
    }
}

} // namespace

void EnumFamilies(HDC dc, const char* family, const FamilyCallback& callback)
{
    EnumContext ctx{&callback, nullptr};
    EnumFontFamiliesA(dc, family, EnumProc, reinterpret_cast<LPARAM>(&ctx));
    if (ctx.failure) std::rethrow_exception(ctx.failure);
}

bool FaceNames(HDC dc, const std::string& faceName, std::string& family, std::string& fullName)
{
    LOGFONTA lf{};
    lf.lfHeight = -12;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, faceName.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    if (!font) return false;
    HGDIOBJ old = SelectObject(dc, font);
    bool found = false;
    const UINT size = GetOutlineTextMetricsA(dc, 0, nullptr);
    if (size >= sizeof(OUTLINETEXTMETRICA)) {
        std::vector<char> buffer(size);
        auto* otm = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
        if (GetOutlineTextMetricsA(dc, size, otm) == size) {
            // The names lie inside the buffer, at offsets from its start.
            auto text = [&](PSTR offset) {
                const auto at = reinterpret_cast<std::uintptr_t>(offset);
                return at > 0 && at < size ? std::string(buffer.data() + at, strnlen(buffer.data() + at, size - at))
                                           : std::string();
            };
            family = text(otm->otmpFamilyName);
            fullName = text(otm->otmpFaceName);
            found = !family.empty();
        }
    }
    SelectObject(dc, old);
    DeleteObject(font);
    return found;
}

bool AddFontResourceFile(const std::string& path) { return AddFontResourceA(path.c_str()) > 0; }

bool RemoveFontResourceFile(const std::string& path) { return RemoveFontResourceA(path.c_str()) != FALSE; }

} // namespace typa::gdi
