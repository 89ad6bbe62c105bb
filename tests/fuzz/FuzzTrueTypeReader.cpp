// libFuzzer target for the portable TrueType reader.
#include "FuzzTrueTypeReader.h"

#include "fonts/TrueTypeReader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace typa::fuzz {

namespace {

using ttf::FontNames;
using ttf::ReadStatus;

class MemoryFile final : public ttf::RandomAccess {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) override
    {
        ++calls;
        if (size == 0) std::abort(); // the reader never asks for nothing
        if (offset >= m_size) return 0;
        const std::size_t n = std::min<std::size_t>(size, m_size - offset);
        std::memcpy(buffer, m_data + offset, n);
        return static_cast<std::int32_t>(n);
    }
    unsigned calls = 0;

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

// The algorithm as written, step by step: a file position, exact reads, a list of candidates.
class Reference {
public:
    Reference(const std::uint8_t* data, std::size_t size, std::uint16_t language)
        : m_data(data), m_size(size), m_language(language) {}

    ReadStatus Run(FontNames& out)
    {
        out.family.clear();
        out.fullName.clear();
        out.os2Seen = false;
        std::uint8_t head[12];
        if (!Read(head, 12)) return ReadStatus::Fault;
        const unsigned numTables = U16(head + 4);
        std::uint32_t budget = ttf::kMaxNameRecordsPerFile;
        for (unsigned i = 0; i < numTables; ++i) {
            std::uint8_t entry[16];
            if (!Read(entry, 16)) return ReadStatus::Fault;
            const std::uint32_t offset = U32(entry + 8);
            if (std::memcmp(entry, "OS/2", 4) == 0) {
                const std::uint64_t back = m_pos;
                out.os2Seen = true;
                std::uint8_t os2[78];
                if (!Seek(offset) || !Read(os2, 78)) return ReadStatus::Fault;
                const unsigned fs = U16(os2 + 62);
                ttf::LogFontFields& lf = out.logFont;
                lf.height = lf.width = lf.escapement = lf.orientation = 0;
                lf.weight = U16(os2 + 4);
                lf.italic = fs & 1;
                lf.underline = (fs & 2) ? 1 : 0;
                lf.strikeOut = (fs & 16) ? 1 : 0;
                lf.charSet = 1;
                lf.outPrecision = lf.clipPrecision = lf.quality = lf.pitchAndFamily = 0;
                m_pos = back;
            }
            if (std::memcmp(entry, "name", 4) == 0) {
                const std::uint64_t back = m_pos;
                std::uint8_t header[6];
                if (!Seek(offset) || !Read(header, 6)) return ReadStatus::Fault;
                const unsigned count = U16(header + 2);
                const unsigned stringOffset = U16(header + 4);
                if (count > budget) return ReadStatus::Fault;
                budget -= count;
                for (unsigned r = 0; r < count; ++r) {
                    std::uint8_t rec[12];
                    if (!Read(rec, 12)) return ReadStatus::Fault;
                    const unsigned platform = U16(rec), lang = U16(rec + 4), id = U16(rec + 6);
                    const unsigned length = U16(rec + 8), off = U16(rec + 10);
                    if (platform != 3 || (id != 1 && id != 2 && id != 4)) continue;
                    const std::uint64_t after = m_pos;
                    if (length > 400) return ReadStatus::Fault;
                    std::uint8_t raw[401];
                    if (!Seek(std::uint64_t{offset} + stringOffset + off) || !Read(raw, length))
                        return ReadStatus::Fault;
                    std::string text;
                    for (unsigned k = 1; k <= length / 2 && raw[2 * k - 1] != 0; ++k)
                        text += static_cast<char>(raw[2 * k - 1]);
                    if (id == 1) {
                        out.family = text;
                        std::memset(out.logFont.faceName, 0, 32);
                        std::memcpy(out.logFont.faceName, text.data(), std::min<std::size_t>(text.size(), 31));
                    } else if (id == 2) {
                        out.subfamily = text;
                    } else {
                        m_candidates.emplace_back(text, lang);
                    }
                    m_pos = after;
                }
                if (m_candidates.empty()) return ReadStatus::NotUsable;
                out.fullName = m_candidates.front().first;
                for (const auto& [text, lang] : m_candidates)
                    if (lang == m_language) {
                        out.fullName = text;
                        break;
                    }
                if (!out.family.empty() && !out.fullName.empty() && out.os2Seen) return ReadStatus::Usable;
                m_pos = back;
            }
        }
        return ReadStatus::NotUsable;
    }

private:
    static unsigned U16(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }
    static std::uint32_t U32(const std::uint8_t* p)
    {
        return (std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    }
    bool Seek(std::uint64_t pos)
    {
        if (pos > 0x7FFFFFFF) return false;
        m_pos = pos;
        return true;
    }
    bool Read(std::uint8_t* to, unsigned n)
    {
        if (n == 0) return true; // reading nothing never fails, even past the end
        if (m_pos + n > 0x80000000ull || m_pos + n > m_size) return false;
        if (n) std::memcpy(to, m_data + m_pos, n);
        m_pos += n;
        return true;
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::uint16_t m_language;
    std::uint64_t m_pos = 0;
    std::vector<std::pair<std::string, unsigned>> m_candidates;
};

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "ttf_fuzz: %s\n", what);
    std::abort();
}

bool SameLogFont(const ttf::LogFontFields& a, const ttf::LogFontFields& b)
{
    return a.height == b.height && a.width == b.width && a.escapement == b.escapement &&
           a.orientation == b.orientation && a.weight == b.weight && a.italic == b.italic &&
           a.underline == b.underline && a.strikeOut == b.strikeOut && a.charSet == b.charSet &&
           a.outPrecision == b.outPrecision && a.clipPrecision == b.clipPrecision && a.quality == b.quality &&
           a.pitchAndFamily == b.pitchAndFamily && std::memcmp(a.faceName, b.faceName, 32) == 0;
}

void CheckLanguage(const std::uint8_t* data, std::size_t size, std::uint16_t language)
{
    MemoryFile file(data, size);
    FontNames got;
    got.subfamily = "?";
    int queries = 0;
    const ReadStatus status = ttf::ReadFontNames(file, got, [&] {
        ++queries;
        return language;
    });

    FontNames want;
    want.subfamily = "?";
    const ReadStatus wantStatus = Reference(data, size, language).Run(want);

    if (status != wantStatus) Fail("status differs from the step-by-step reading");
    if (got.family != want.family) Fail("family differs");
    if (got.fullName != want.fullName) Fail("full name differs");
    if (got.subfamily != want.subfamily) Fail("subfamily differs");
    if (got.os2Seen != want.os2Seen) Fail("OS/2 flag differs");
    if (!SameLogFont(got.logFont, want.logFont)) Fail("creation record differs");

    if (queries > 1) Fail("language asked more than once");
    if (got.logFont.faceName[31] != 0) Fail("face name not terminated");
    if (status == ReadStatus::Usable && (got.family.empty() || got.fullName.empty() || !got.os2Seen))
        Fail("usable without names or OS/2");
    for (const std::string* s : {&got.family, &got.fullName, &got.subfamily})
        if (s->size() > 200 || s->find('\0') != std::string::npos) Fail("name too long or with a NUL");
    // Every read is one call with a purpose: at most the directory, the tables and the strings.
    if (file.calls > 2 + 65536 + 65535 * 2) Fail("too many reads");
}

} // namespace

void CheckOne(const std::uint8_t* data, std::size_t size)
{
    CheckLanguage(data, size, 0x0409);
    // A second language taken from the input, so that the language choice is explored too.
    const std::uint16_t other = size >= 2 ? static_cast<std::uint16_t>((data[size - 2] << 8) | data[size - 1]) : 0x040C;
    CheckLanguage(data, size, other);
}

} // namespace typa::fuzz

#ifndef TYPA_FUZZ_NO_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    typa::fuzz::CheckOne(data, size);
    return 0;
}
#endif
