#include "platform/GdiFonts.h"
#include <exception>

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

bool AddFontResourceFile(const std::string& path) { return AddFontResourceA(path.c_str()) > 0; }

bool RemoveFontResourceFile(const std::string& path) { return RemoveFontResourceA(path.c_str()) != FALSE; }

} // namespace typa::gdi
