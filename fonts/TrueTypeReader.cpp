#include "fonts/TrueTypeReader.h"

#include "fonts/TrueTypeBytes.h"

#include <algorithm>
#include <cstring>

namespace typa::ttf {

namespace {

using namespace bytes;

constexpr std::uint32_t kOs2Size = 78; // the version 0 table: all the fields used lie in it

constexpr std::uint16_t kNameFamily = 1;
constexpr std::uint16_t kNameSubfamily = 2;
constexpr std::uint16_t kNameFull = 4;
constexpr std::uint8_t kDefaultCharset = 1;

// How much one read asks for beyond what is needed now. The first read takes the offset table
// and a directory of up to 32 tables; the `name` header read takes up to 32 records with it;
// a string read takes its neighbours, which are usually the other names of the same language.
// The fonts of Debian's packages need 3.4 reads and about 1,100 bytes each on average; a bigger
// directory or record list comes in further reads of at most kWindowSize bytes.
constexpr std::uint32_t kFirstReadAhead = kOffsetTableSize + 32 * kDirEntrySize;
constexpr std::uint32_t kNameHeaderAhead = kNameHeaderSize + 32 * kNameRecordSize;
constexpr std::uint32_t kStringAhead = 128;

void FillFromOs2(const std::uint8_t* os2, LogFontFields& lf) noexcept
{
    const std::uint16_t weight = U16(os2 + 4);
    const std::uint16_t fsSelection = U16(os2 + 62);
    lf.height = 0;
    lf.width = 0;
    lf.escapement = 0;
    lf.orientation = 0;
    lf.weight = weight;
    // Boldness comes from the weight class only; bit 5 is not looked at.
    lf.italic = fsSelection & 0x01;
    lf.underline = (fsSelection >> 1) & 0x01;
    lf.strikeOut = (fsSelection >> 4) & 0x01;
    lf.charSet = kDefaultCharset;
    lf.outPrecision = 0;
    lf.clipPrecision = 0;
    lf.quality = 0;
    lf.pitchAndFamily = 0;
}

void SetFaceName(LogFontFields& lf, const std::string& family) noexcept
{
    // Cut to what the decoded name holds, never the record's byte length: a name of n bytes
    // has only n / 2 characters.
    const std::size_t n = std::min(family.size(), kMaxFaceNameChars);
    std::memcpy(lf.faceName, family.data(), n);
    std::memset(lf.faceName + n, 0, sizeof lf.faceName - n);
}

// The full-name choice: the first candidate whose language is the system's, else the first
// candidate. Only those two can ever win, so only those two are kept.
class FullNameChoice {
public:
    explicit FullNameChoice(const LanguageQuery& query) : m_query(query) {}

    bool Empty() const noexcept { return !m_haveFirst; }

    void Add(std::string&& text, std::uint16_t language)
    {
        if (!m_haveFirst) {
            m_language = m_query ? m_query() : kUsEnglish;
            m_haveFirst = true;
            if (language == m_language) {
                m_match = text;
                m_haveMatch = true;
            }
            m_first = std::move(text);
        } else if (!m_haveMatch && language == m_language) {
            m_match = std::move(text);
            m_haveMatch = true;
        }
    }

    const std::string& Chosen() const noexcept { return m_haveMatch ? m_match : m_first; }

private:
    const LanguageQuery& m_query;
    std::uint16_t m_language = kUsEnglish;
    bool m_haveFirst = false;
    bool m_haveMatch = false;
    std::string m_first;
    std::string m_match;
};

enum class NameTableResult { Done, Continue, NotUsable, Fault };

NameTableResult ReadNameTable(Windows& window, std::uint32_t tableOffset, FontNames& out,
                              FullNameChoice& fullNames, std::uint32_t& recordBudget)
{
    const std::uint8_t* p = window.Get(Part::Table, tableOffset, kNameHeaderSize, kNameHeaderAhead);
    if (!p) return NameTableResult::Fault;
    const std::uint32_t count = U16(p + 2);
    const std::uint32_t stringOffset = U16(p + 4);
    if (count > recordBudget) return NameTableResult::Fault;
    recordBudget -= count;

    for (std::uint32_t r = 0; r < count; ++r) {
        const std::uint64_t recordPos =
            std::uint64_t{tableOffset} + kNameHeaderSize + std::uint64_t{r} * kNameRecordSize;
        p = window.Get(Part::Table, recordPos, kNameRecordSize, (count - r) * kNameRecordSize);
        if (!p) return NameTableResult::Fault;
        const NameRecordFields record = ParseNameRecord(p);
        const std::uint16_t nameId = record.nameId;
        const std::uint32_t length = record.length;
        if (record.platformId != kPlatformMicrosoft ||
            (nameId != kNameFamily && nameId != kNameSubfamily && nameId != kNameFull))
            continue;
        if (length > kMaxNameBytes) return NameTableResult::Fault;

        const std::uint64_t stringPos = NameStringPos(tableOffset, stringOffset, record);
        const std::uint8_t* raw = window.Get(Part::String, stringPos, length, std::max(length, kStringAhead));
        if (!raw) return NameTableResult::Fault;
        std::string text = DecodeNameLowBytes(raw, length);

        // The last family and subfamily records win, whatever their language or encoding.
        switch (nameId) {
        case kNameFamily:
            SetFaceName(out.logFont, text);
            out.family = std::move(text);
            break;
        case kNameSubfamily:
            out.subfamily = std::move(text);
            break;
        default:
            fullNames.Add(std::move(text), record.languageId);
            break;
        }
    }

    if (fullNames.Empty()) return NameTableResult::NotUsable;
    out.fullName = fullNames.Chosen();
    // The success test runs here only, right after a `name` table.
    if (!out.family.empty() && !out.fullName.empty() && out.os2Seen) return NameTableResult::Done;
    return NameTableResult::Continue;
}

} // namespace

std::string DecodeNameLowBytes(const std::uint8_t* raw, std::uint32_t length)
{
    const std::uint32_t chars = length / 2;
    std::string text(chars, '\0');
    std::uint32_t n = 0;
    for (; n < chars; ++n) {
        const char c = static_cast<char>(raw[2 * n + 1]);
        if (c == '\0') break;
        text[n] = c;
    }
    text.resize(n);
    return text;
}

ReadStatus ReadFontNames(RandomAccess& file, FontNames& out, const LanguageQuery& systemLanguage)
{
    out.family.clear();
    out.fullName.clear();
    out.os2Seen = false;

    Windows window(file);
    FullNameChoice fullNames(systemLanguage);
    std::uint32_t recordBudget = kMaxNameRecordsPerFile;

    const std::uint8_t* p = window.Get(Part::Directory, 0, kOffsetTableSize, kFirstReadAhead);
    if (!p) return ReadStatus::Fault;
    // The version tag is not checked: files with any tag are read.
    const std::uint32_t numTables = U16(p + 4);

    for (std::uint32_t i = 0; i < numTables; ++i) {
        p = window.Get(Part::Directory, kOffsetTableSize + i * kDirEntrySize, kDirEntrySize,
                       (numTables - i) * kDirEntrySize);
        if (!p) return ReadStatus::Fault;
        const bool isOs2 = std::memcmp(p, "OS/2", 4) == 0;
        const bool isName = std::memcmp(p, "name", 4) == 0;
        const std::uint32_t tableOffset = U32(p + 8);

        if (isOs2) {
            out.os2Seen = true;
            const std::uint8_t* os2 = window.Get(Part::Table, tableOffset, kOs2Size, kOs2Size);
            if (!os2) return ReadStatus::Fault;
            FillFromOs2(os2, out.logFont);
        }
        if (isName) {
            switch (ReadNameTable(window, tableOffset, out, fullNames, recordBudget)) {
            case NameTableResult::Done:
                return ReadStatus::Usable;
            case NameTableResult::NotUsable:
                return ReadStatus::NotUsable;
            case NameTableResult::Fault:
                return ReadStatus::Fault;
            case NameTableResult::Continue:
                break;
            }
        }
    }
    return ReadStatus::NotUsable;
}

} // namespace typa::ttf
