// Native benchmark of the portable TrueType reader over real fonts, beside a floor that only
// opens each file, makes the same positioned reads of the same sizes and closes it.
//   bench_native [--repeat N] [--callgrind] [--names] LIST
// LIST holds one font path per line. Prints figures; asserts nothing about time.
// --callgrind: one pass of each loop between callgrind client requests (run under
//   valgrind --tool=callgrind --instr-atstart=no); the dumps give instructions per loop.
// --names: prints "path<TAB>outcome<TAB>family<TAB>full name" per file and stops.
#include "fonts/TrueTypeReader.h"

#include <valgrind/callgrind.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Request {
    std::uint32_t offset;
    std::uint32_t size;
};

class PosixFile final : public typa::ttf::RandomAccess {
public:
    explicit PosixFile(const char* path) : m_fd(open(path, O_RDONLY)) {}
    ~PosixFile()
    {
        if (m_fd >= 0) close(m_fd);
    }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;
    bool IsOpen() const { return m_fd >= 0; }
    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) override
    {
        if (log) log->push_back({offset, size});
        const ssize_t n = pread(m_fd, buffer, size, offset);
        ++reads;
        if (n > 0) bytes += static_cast<std::size_t>(n);
        return n < 0 ? -1 : static_cast<std::int32_t>(n);
    }
    std::vector<Request>* log = nullptr;
    unsigned reads = 0;
    std::size_t bytes = 0;

private:
    int m_fd;
};

std::uint16_t Language() { return 0x0409; }

__attribute__((noinline)) unsigned ReaderPass(const std::vector<std::string>& paths)
{
    unsigned usable = 0;
    typa::ttf::FontNames names;
    const typa::ttf::LanguageQuery language = Language;
    for (const std::string& p : paths) {
        PosixFile file(p.c_str());
        if (!file.IsOpen()) continue;
        names.subfamily.clear();
        names.logFont = {};
        if (typa::ttf::ReadFontNames(file, names, language) == typa::ttf::ReadStatus::Usable) ++usable;
    }
    return usable;
}

__attribute__((noinline)) std::size_t FloorPass(const std::vector<std::string>& paths,
                                                const std::vector<std::vector<Request>>& logs)
{
    static unsigned char buffer[1 << 16];
    std::size_t total = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const int fd = open(paths[i].c_str(), O_RDONLY);
        if (fd < 0) continue;
        for (const Request& r : logs[i]) {
            const ssize_t n = pread(fd, buffer, r.size, r.offset);
            if (n > 0) total += static_cast<std::size_t>(n);
        }
        close(fd);
    }
    return total;
}

double Microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

} // namespace

int main(int argc, char** argv)
{
    int repeat = 5;
    bool callgrind = false, namesOnly = false;
    std::string list;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc)
            repeat = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--callgrind"))
            callgrind = true;
        else if (!std::strcmp(argv[i], "--names"))
            namesOnly = true;
        else
            list = argv[i];
    }
    std::vector<std::string> paths;
    std::ifstream in(list);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) paths.push_back(line);
    if (paths.empty()) {
        std::fprintf(stderr, "bench_native: no fonts listed in '%s'\n", list.c_str());
        return 2;
    }

    // First pass: outcomes, the reads each file needs, and what they cost.
    std::vector<std::vector<Request>> logs(paths.size());
    unsigned counts[3] = {};
    std::size_t reads = 0, bytes = 0, maxReads = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        PosixFile file(paths[i].c_str());
        file.log = &logs[i];
        typa::ttf::FontNames names;
        const auto status = typa::ttf::ReadFontNames(file, names, Language);
        ++counts[static_cast<int>(status)];
        reads += file.reads;
        bytes += file.bytes;
        maxReads = std::max<std::size_t>(maxReads, file.reads);
        if (namesOnly)
            std::printf("%s\t%d\t%s\t%s\n", paths[i].c_str(), static_cast<int>(status), names.family.c_str(),
                        names.fullName.c_str());
    }
    if (namesOnly) return 0;
    const double n = static_cast<double>(paths.size());
    std::printf("files: %zu (usable %u, not usable %u, damaged %u)\n", paths.size(), counts[0], counts[1], counts[2]);
    std::printf("per file: %.1f read calls (max %zu), %.0f bytes read\n", static_cast<double>(reads) / n, maxReads,
                static_cast<double>(bytes) / n);

    if (callgrind) {
        CALLGRIND_START_INSTRUMENTATION;
        CALLGRIND_ZERO_STATS;
        ReaderPass(paths);
        CALLGRIND_DUMP_STATS_AT("reader");
        FloorPass(paths, logs);
        CALLGRIND_DUMP_STATS_AT("floor");
        CALLGRIND_STOP_INSTRUMENTATION;
        return 0;
    }

    // Alternate the two loops so that both see the same page cache and machine noise; keep
    // each one's best round.
    double bestReader = 1e300, bestFloor = 1e300;
    for (int r = 0; r < repeat; ++r) {
        auto t0 = Clock::now();
        ReaderPass(paths);
        auto t1 = Clock::now();
        FloorPass(paths, logs);
        auto t2 = Clock::now();
        bestReader = std::min(bestReader, Microseconds(t1 - t0) / n);
        bestFloor = std::min(bestFloor, Microseconds(t2 - t1) / n);
    }
    std::printf("reader: %.2f us/file   floor: %.2f us/file   ratio %.2f (best of %d rounds)\n", bestReader,
                bestFloor, bestReader / bestFloor, repeat);
    return 0;
}
