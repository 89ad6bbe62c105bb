#pragma once
// Printed jobs as the tests see them: the test printers (scripts/printers.sh) are cups-pdf queues
// that write each job as a PDF into one folder. A test notes the folder's files before printing,
// waits for the new PDF and reads it back with poppler's tools, run as Linux programs from under
// Wine through /bin/sh.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>

namespace typa::pdf {

// Where cups-pdf writes the test printers' jobs, as Wine sees it.
inline std::string Folder()
{
    char buffer[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("TYPA_PDF_DIR", buffer, sizeof buffer);
    std::string unixFolder = n > 0 && n < sizeof buffer ? std::string(buffer) : "/var/spool/cups-pdf/typa";
    std::string w = "Z:" + unixFolder;
    for (char& c : w)
        if (c == '/') c = '\\';
    return w;
}

inline std::string UnixPath(const std::string& winePath)
{
    std::string p = winePath.size() > 2 && winePath[1] == ':' ? winePath.substr(2) : winePath;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

inline std::set<std::string> Files()
{
    std::set<std::string> files;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((Folder() + "\\*.pdf").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return files;
    do files.insert(Folder() + "\\" + fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return files;
}

inline std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A complete PDF: ends with its trailer and keeps its size for a moment.
inline bool Complete(const std::string& path)
{
    const std::string a = ReadWhole(path);
    if (a.size() < 64 || a.find("%%EOF", a.size() - 64) == std::string::npos) return false;
    Sleep(300);
    return ReadWhole(path).size() == a.size();
}

// The first PDF that is not in `before` once it is complete; nothing after timeoutMs.
inline std::optional<std::string> WaitForNew(const std::set<std::string>& before, DWORD timeoutMs = 240000)
{
    const DWORD start = GetTickCount();
    do {
        for (const std::string& f : Files())
            if (!before.count(f) && Complete(f)) return f;
        Sleep(250);
    } while (GetTickCount() - start < timeoutMs);
    return std::nullopt;
}

// True when no new PDF appears within waitMs.
inline bool NoneNew(const std::set<std::string>& before, DWORD waitMs)
{
    const DWORD start = GetTickCount();
    do {
        for (const std::string& f : Files())
            if (!before.count(f)) return false;
        Sleep(250);
    } while (GetTickCount() - start < waitMs);
    return true;
}

// Starts a shell command line on the Linux side and does not wait for it.
inline bool StartUnix(const std::string& command)
{
    std::string line = "/bin/sh -c \"" + command + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// Runs a shell command line on the Linux side and returns what it printed (UTF-8).
inline std::string RunUnix(const std::string& command)
{
    static int counter = 0;
    const std::string out = "/tmp/typa-pdf-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + ".txt";
    std::string line = "/bin/sh -c \"" + command + " > " + out + " 2>&1\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    WaitForSingleObject(pi.hProcess, 120000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string wineOut = "Z:" + out;
    for (char& c : wineOut)
        if (c == '/') c = '\\';
    std::string text;
    for (int i = 0; i < 50 && text.empty(); ++i, Sleep(100)) text = ReadWhole(wineOut);
    DeleteFileA(wineOut.c_str());
    return text;
}

// What pdftotext gives, as a reader of the page sees it. The fonts name some glyphs after
// characters other than the ones printed: "-" set in Liberation Sans through Wine's PostScript
// driver comes back as the soft hyphen U+00AD; hyphen variants and the Latin ligatures are
// the same kind. Everything else is left as it is, so checks stay exact.
inline std::string ReaderText(const std::string& utf8)
{
    static const struct { const char* from; const char* to; } kSame[] = {
        {"\xC2\xAD", "-"},          // U+00AD soft hyphen
        {"\xE2\x80\x90", "-"},      // U+2010 hyphen
        {"\xE2\x80\x91", "-"},      // U+2011 non-breaking hyphen
        {"\xEF\xAC\x80", "ff"},     // U+FB00..U+FB04 ligatures
        {"\xEF\xAC\x81", "fi"},
        {"\xEF\xAC\x82", "fl"},
        {"\xEF\xAC\x83", "ffi"},
        {"\xEF\xAC\x84", "ffl"},
    };
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        bool mapped = false;
        for (const auto& m : kSame) {
            const std::size_t n = std::char_traits<char>::length(m.from);
            if (utf8.compare(i, n, m.from) == 0) {
                out += m.to;
                i += n;
                mapped = true;
                break;
            }
        }
        if (!mapped) out += utf8[i++];
    }
    return out;
}

// The text of the pages in reading order (UTF-8), pages separated by form feeds, as read.
inline std::string Text(const std::string& pdf)
{
    return ReaderText(RunUnix("pdftotext -enc UTF-8 '" + UnixPath(pdf) + "' -"));
}
inline std::string Info(const std::string& pdf) { return RunUnix("pdfinfo '" + UnixPath(pdf) + "'"); }
inline std::string Fonts(const std::string& pdf) { return RunUnix("pdffonts '" + UnixPath(pdf) + "'"); }

inline int Pages(const std::string& pdf)
{
    const std::string info = Info(pdf);
    const auto at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

// CP1252 test literals to the UTF-8 that poppler prints.
inline std::string Utf8(const std::string& cp1252)
{
    int n = MultiByteToWideChar(1252, 0, cp1252.c_str(), -1, nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(1252, 0, cp1252.c_str(), -1, w.data(), n);
    n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    if (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

} // namespace typa::pdf
