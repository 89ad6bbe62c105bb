// Benchmark of ReadTrueTypeInfo as TYPA.EXE runs it (Win32 file API under Wine), beside a floor
// that only opens each file with CreateFileA, makes the same positioned reads of the same sizes
// (SetFilePointer where a read does not follow the previous one, ReadFile) and closes it.
//   WineBench.exe [--repeat N] LIST
// LIST holds one Windows path per line. Prints figures; asserts nothing about time.
#include "app/ErrorBox.h"
#include "fonts/ReadTrueTypeInfo.h"
#include "fonts/TrueTypeReader.h"
#include "platform/FontFile.h"
#include "platform/SystemLanguage.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace typa;

namespace {

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}

__attribute__((noinline)) unsigned ReaderPass(const std::vector<std::string>& paths, LANGID language)
{
    unsigned usable = 0;
    for (const std::string& p : paths) {
        TrueTypeInfo info;
        if (ReadTrueTypeInfo(p, info, language) == TrueTypeOutcome::Usable) ++usable;
    }
    return usable;
}

__attribute__((noinline)) unsigned LookupPass(const std::vector<std::string>& paths)
{
    unsigned usable = 0;
    for (const std::string& p : paths) {
        TrueTypeInfo info;
        if (ReadTrueTypeInfo(p, info) == TrueTypeOutcome::Usable) ++usable;
    }
    return usable;
}

__attribute__((noinline)) unsigned long long FloorPass(const std::vector<std::string>& paths,
                                                       const std::vector<std::vector<FontReadRequest>>& logs)
{
    static char buffer[1 << 16];
    unsigned long long total = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        HANDLE h = CreateFileA(paths[i].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        DWORD position = 0;
        for (const FontReadRequest& r : logs[i]) {
            if (r.offset != position) SetFilePointer(h, static_cast<LONG>(r.offset), nullptr, FILE_BEGIN);
            DWORD got = 0;
            ReadFile(h, buffer, std::min<DWORD>(r.size, sizeof buffer), &got, nullptr);
            position = r.offset + got;
            total += got;
        }
        CloseHandle(h);
    }
    return total;
}

// The same reads through the program's FontFile instead of the raw API.
__attribute__((noinline)) unsigned long long FontFilePass(const std::vector<std::string>& paths,
                                                          const std::vector<std::vector<FontReadRequest>>& logs)
{
    static char buffer[1 << 16];
    unsigned long long total = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        FontFile file;
        if (file.Open(paths[i]) != FontFileOpen::Opened) continue;
        for (const FontReadRequest& r : logs[i]) {
            const std::int32_t got = file.ReadAt(r.offset, buffer, std::min<std::uint32_t>(r.size, sizeof buffer));
            if (got > 0) total += static_cast<unsigned>(got);
        }
    }
    return total;
}

// What the reads brought, kept in memory: the parsing alone, without any file call.
class Replay final : public ttf::RandomAccess {
public:
    std::vector<std::pair<FontReadRequest, std::string>> reads;
    std::size_t next = 0;
    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) override
    {
        if (next >= reads.size()) return -1;
        const auto& [request, data] = reads[next++];
        if (request.offset != offset || request.size != size) return -1;
        std::memcpy(buffer, data.data(), data.size());
        return static_cast<std::int32_t>(data.size());
    }
};

__attribute__((noinline)) unsigned ParsePass(std::vector<Replay>& replays, LANGID language)
{
    unsigned usable = 0;
    const ttf::LanguageQuery query = [language] { return static_cast<std::uint16_t>(language); };
    for (Replay& r : replays) {
        r.next = 0;
        ttf::FontNames names;
        if (ttf::ReadFontNames(r, names, query) == ttf::ReadStatus::Usable) ++usable;
    }
    return usable;
}

} // namespace

int main(int argc, char** argv)
{
    int repeat = 3;
    std::string list;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc)
            repeat = std::atoi(argv[++i]);
        else
            list = argv[i];
    }
    std::vector<std::string> paths;
    std::ifstream in(list);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) paths.push_back(line);
    }
    if (paths.empty()) {
        std::fprintf(stderr, "WineBench: no fonts listed in '%s'\n", list.c_str());
        return 2;
    }
    // A damaged file must not stop the run on a box nobody answers.
    ScriptedBoxes boxes;

    double t0 = Now();
    const LANGID language = sys::SystemLanguage();
    const double languageUs = Now() - t0;

    std::vector<std::vector<FontReadRequest>> logs(paths.size());
    unsigned counts[5] = {};
    unsigned long long reads = 0, bytes = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        TrueTypeInfo info;
        FontReadStats stats;
        stats.log = &logs[i];
        ++counts[static_cast<int>(ReadTrueTypeInfo(paths[i], info, language, &stats))];
        reads += stats.reads;
        bytes += stats.bytes;
    }
    const double n = static_cast<double>(paths.size());
    std::printf("files: %zu (usable %u, not usable %u, not found %u, damaged boxes %zu)\n", paths.size(), counts[0],
                counts[1], counts[2], boxes.Boxes().size());
    std::printf("per file: %.1f read calls, %.0f bytes read; system language %u looked up in %.0f us\n",
                static_cast<double>(reads) / n, static_cast<double>(bytes) / n, language, languageUs);

    std::vector<Replay> replays(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        FontFile file;
        if (file.Open(paths[i]) != FontFileOpen::Opened) continue;
        for (const FontReadRequest& r : logs[i]) {
            std::string data(r.size, '\0');
            const std::int32_t got = file.ReadAt(r.offset, data.data(), r.size);
            data.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            replays[i].reads.emplace_back(r, std::move(data));
        }
    }

    double bestReader = 1e300, bestFloor = 1e300, bestLookup = 1e300, bestFontFile = 1e300, bestParse = 1e300;
    for (int r = 0; r < repeat; ++r) {
        double a = Now();
        ReaderPass(paths, language);
        double b = Now();
        FloorPass(paths, logs);
        double c = Now();
        FontFilePass(paths, logs);
        double d = Now();
        ParsePass(replays, language);
        double e = Now();
        bestReader = std::min(bestReader, (b - a) / n);
        bestFloor = std::min(bestFloor, (c - b) / n);
        bestFontFile = std::min(bestFontFile, (d - c) / n);
        bestParse = std::min(bestParse, (e - d) / n);
    }
    // The language looked up on every call, as the one-argument ReadTrueTypeInfo does.
    const std::size_t some = std::min<std::size_t>(paths.size(), 200);
    std::vector<std::string> subset(paths.begin(), paths.begin() + static_cast<std::ptrdiff_t>(some));
    double a = Now();
    LookupPass(subset);
    bestLookup = (Now() - a) / static_cast<double>(some);

    std::printf("reader: %.1f us/file   floor: %.1f us/file   ratio %.2f (best of %d rounds)\n", bestReader,
                bestFloor, bestReader / bestFloor, repeat);
    std::printf("the floor's reads through FontFile: %.1f us/file; the parsing alone, from memory: %.1f us/file\n",
                bestFontFile, bestParse);
    std::printf("reader looking the language up on every call: %.1f us/file (%zu files)\n", bestLookup, some);
    return 0;
}
