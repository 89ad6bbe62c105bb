// The least a folder scan must do, for the scan benchmark to stand beside: find the folder's *.TTF
// files, open each, read its offset table, its table directory, the head of its OS/2 table and the
// header and records of its name table, and close it. Nothing of the program is linked in.
//   ScanFloor.exe FOLDER [rounds, 3 by default]
// Prints the time of each round over the whole folder and the best; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double NowMs()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

unsigned U16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
unsigned long U32(const unsigned char* p) { return (static_cast<unsigned long>(U16(p)) << 16) | U16(p + 2); }

bool ReadAt(HANDLE f, unsigned long offset, void* buffer, DWORD size, DWORD& got)
{
    if (SetFilePointer(f, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    return ReadFile(f, buffer, size, &got, nullptr) != 0;
}

// One file; true when it had both tables.
bool ReadOne(const std::string& path)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    static unsigned char buffer[65536];
    DWORD got = 0;
    bool found = false;
    if (ReadFile(f, buffer, 12, &got, nullptr) && got == 12) {
        const unsigned tables = U16(buffer + 4);
        unsigned long os2 = 0, name = 0;
        if (ReadFile(f, buffer, tables * 16, &got, nullptr)) {
            for (unsigned i = 0; i < tables && (i + 1) * 16 <= got; ++i) {
                const unsigned char* e = buffer + i * 16;
                if (!std::memcmp(e, "OS/2", 4)) os2 = U32(e + 8);
                if (!std::memcmp(e, "name", 4)) name = U32(e + 8);
            }
        }
        if (os2 && name && ReadAt(f, os2, buffer, 78, got) && ReadAt(f, name, buffer, 6, got) && got == 6) {
            const unsigned records = U16(buffer + 2);
            found = ReadFile(f, buffer, records * 12, &got, nullptr) != 0;
        }
    }
    CloseHandle(f);
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ScanFloor.exe FOLDER [rounds]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '\\') folder += '\\';
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        const double t0 = NowMs();
        int files = 0, read = 0;
        WIN32_FIND_DATAA fd;
        HANDLE find = FindFirstFileA((folder + "*.TTF").c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                ++files;
                read += ReadOne(folder + fd.cFileName);
            } while (FindNextFileA(find, &fd));
            FindClose(find);
        }
        const double ms = NowMs() - t0;
        best = std::min(best, ms);
        std::printf("floor round %d: %d files (%d with OS/2 and name), %.0f ms\n", r + 1, files, read, ms);
    }
    std::printf("floor best: %.0f ms\n", best);
    return 0;
}
