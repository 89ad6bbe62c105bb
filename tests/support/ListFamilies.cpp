// A second program for the end-to-end tests: writes the face name and the full name of every
// font the system lets it enumerate, one "face|full name" per line, into the file named by its
// argument. Run after an installation, it shows what any other program now sees.
#include <windows.h>
#include <cstdio>

namespace {
HDC g_dc;

int CALLBACK OnFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM out)
{
    const auto* full = reinterpret_cast<const ENUMLOGFONTEXA*>(font);
    std::fprintf(reinterpret_cast<FILE*>(out), "%s|%s\n", font->lfFaceName,
                 reinterpret_cast<const char*>(full->elfFullName));
    return 1;
}

// One call per family: then every face of it.
int CALLBACK OnFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM out)
{
    LOGFONTA family{};
    family.lfCharSet = font->lfCharSet;
    lstrcpynA(family.lfFaceName, font->lfFaceName, LF_FACESIZE);
    EnumFontFamiliesExA(g_dc, &family, OnFace, out, 0);
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    g_dc = GetDC(nullptr);
    LOGFONTA all{};
    all.lfCharSet = ANSI_CHARSET;
    EnumFontFamiliesExA(g_dc, &all, OnFamily, reinterpret_cast<LPARAM>(out), 0);
    ReleaseDC(nullptr, g_dc);
    std::fclose(out);
    return 0;
}
