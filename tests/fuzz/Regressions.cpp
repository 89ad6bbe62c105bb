// Replays the crashers found by fuzzing (built here in code) and, when given a folder, every
// file of a corpus, through the checks of both fuzz targets.
//   ttf_regressions [CORPUS_DIR]
#include "FuzzFontDetails.h"
#include "FuzzTrueTypeReader.h"
#include "support/TrueTypeWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using namespace typa::test;

namespace {

// Inputs that once broke the reader or the fuzz target's checks. None so far: every run of
// the fuzzer (see run.sh) has ended without a crash, a leak or a sanitizer report.
std::vector<std::pair<const char*, Bytes>> Crashers()
{
    std::vector<std::pair<const char*, Bytes>> v;
    return v;
}

// Sound fonts, and every file made from them by cutting them short or changing one byte: the
// reader must agree with the step-by-step reading on each, and the deeper read keep its rules.
std::vector<Bytes> Variants()
{
    const std::vector<Bytes> fonts = {
        SimpleFont(u"Typa", u"Regular", u"Typa Regular", 700, 0x0013),
        TrueTypeWriter()
            .Add("name", NameTable({MsName(4, u"First", 0x040C)}))
            .Add("OS/2", Os2Table(400, 0x0020, 78))
            .Add("name", NameTable({Record(1, 0, 0, 1, Raw("Mac")), MsName(1, u"Caf\u00E9"), MsName(2, u"Gras", 0x040C),
                                    MsName(4, u"Full", 0x0409), MsName(4, u"Complet", 0x040C)}))
            .ReverseData()
            .Build(),
        DetailedFont(),
    };
    std::vector<Bytes> v;
    for (const Bytes& font : fonts) {
        for (std::size_t cut = 0; cut <= font.size(); ++cut)
            v.emplace_back(font.begin(), font.begin() + static_cast<std::ptrdiff_t>(cut));
        for (std::size_t i = 0; i < font.size(); ++i)
            for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
                Bytes changed = font;
                changed[i] = value;
                v.push_back(std::move(changed));
            }
    }
    return v;
}

void CheckBoth(const Bytes& data)
{
    typa::fuzz::CheckOne(data.data(), data.size());
    typa::fuzz::CheckDetails(data.data(), data.size());
}

} // namespace

int main(int argc, char** argv)
{
    unsigned checked = 0;
    for (const auto& [name, data] : Crashers()) {
        std::printf("crasher %s\n", name);
        CheckBoth(data);
        ++checked;
    }
    for (const Bytes& data : Variants()) {
        CheckBoth(data);
        ++checked;
    }
    if (argc > 1) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            CheckBoth(data);
            ++checked;
        }
    }
    std::printf("%u passed, 0 failed\n", checked);
    return 0;
}
