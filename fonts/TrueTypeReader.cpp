#include "fonts/TrueTypeReader.h"

#include "fonts/TrueTypeBytes.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace typa::ttf {

namespace {

using namespace bytes;

constexpr std::uint32_t kOs2Size = 78; // the version 0 table: all the fields used lie in it

constexpr std::uint16_t kNameFamily = 1;
constexpr std::uint16_t kNameSubfamily = 2;
constexpr std::uint16_t kNameFull = 4;
constexpr std::uint16_t kNamePostScript = 6;
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

struct Text {
    bool found = false;
    bool whole = true;
    std::string text;
};

// A name that the code page cannot hold whole would show garbled, and two fonts could share a
// name only because of it: the record of choice gives way to one of the same name that fits,
// the English one first, and where none fits, to the PostScript name. Only the records that can
// still win are kept.
class NameChoice {
public:
    enum class Rule {
        FirstInLanguage, // the full name: the first in the system's language, else the first
        Last,            // the family and subfamily: the last record
    };
    explicit NameChoice(Rule rule) : m_rule(rule) {}

    bool Empty() const noexcept { return !m_primary.found; }

    void Add(std::string&& text, bool whole, std::uint16_t language, std::uint16_t systemLanguage)
    {
        if (whole) {
            // Where the choice itself does not fit: the English record first, then any other.
            Text& slot = language == kUsEnglish ? m_english : m_other;
            if (m_rule == Rule::Last || !slot.found) slot = {true, true, text};
        }
        if (m_rule == Rule::Last) {
            m_primary = {true, whole, std::move(text)};
            return;
        }
        if (!m_primary.found) {
            m_primary = {true, whole, text};
            m_inLanguage = language == systemLanguage;
        } else if (!m_inLanguage && language == systemLanguage) {
            m_primary = {true, whole, std::move(text)};
            m_inLanguage = true;
        }
    }

    bool NeedsFallback() const noexcept { return m_primary.found && !m_primary.whole && !m_english.found && !m_other.found; }

    // The name; `postScript`, when found, stands in where no record fits.
    const std::string& Chosen(const Text& postScript) const noexcept
    {
        if (m_primary.whole) return m_primary.text;
        if (m_english.found) return m_english.text;
        if (m_other.found) return m_other.text;
        return postScript.found ? postScript.text : m_primary.text;
    }

private:
    Rule m_rule;
    Text m_primary, m_english, m_other;
    bool m_inLanguage = false;
};

// The faces' offset tables: one at 0 for a single font (or a file too short for anything: its
// face's reads tell), the offsets of a collection's header otherwise. False for a damaged header.
bool FaceOffsets(Windows& window, std::vector<std::uint32_t>& offsets, bool& collection)
{
    offsets.clear();
    collection = false;
    // The first face's directory usually follows: the window takes it with the header.
    const std::uint8_t* p = window.Get(Part::Directory, 0, 4, kFirstReadAhead);
    if (!p || std::memcmp(p, "ttcf", 4) != 0) {
        offsets.push_back(0);
        return true;
    }
    collection = true;
    // Versions 1 and 2 both begin so; version 2 adds its signature fields after the offsets.
    p = window.Get(Part::Directory, 0, kCollectionHeaderSize, kFirstReadAhead);
    if (!p) return false;
    const std::uint32_t count = U32(p + 8);
    if (count == 0 || count > kMaxFacesPerFile) return false;
    p = window.Get(Part::Table, kCollectionHeaderSize, count * 4, count * 4);
    if (!p) return false;
    std::unordered_set<std::uint32_t> seen;
    offsets.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t at = U32(p + 4 * i);
        if (!BelowMaxOffset(at, kOffsetTableSize) || !seen.insert(at).second) return false;
        offsets.push_back(at);
    }
    return true;
}

// What every face of a file shares: the windows of the file, the decoder, the system language
// (asked once), and the budgets that keep a crafted file's work bounded.
class FileReader {
public:
    FileReader(RandomAccess& file, const LanguageQuery& query, const NameDecoder& decoder)
        : m_window(file), m_query(query), m_decoder(decoder) {}

    bool Offsets(std::vector<std::uint32_t>& offsets, bool& collection)
    {
        return FaceOffsets(m_window, offsets, collection);
    }
    ReadStatus ReadFace(std::uint32_t faceOffset, FontNames& out);

private:
    struct Face {
        FontNames& out;
        NameChoice family{NameChoice::Rule::Last};
        NameChoice subfamily{NameChoice::Rule::Last};
        NameChoice fullName{NameChoice::Rule::FirstInLanguage};
        // The first PostScript name, an English one preferred: found, where its string lies.
        bool psFound = false, psEnglish = false;
        std::uint64_t psPos = 0;
        std::uint32_t psLength = 0;
        std::uint32_t recordBudget = kMaxNameRecordsPerFile;
    };
    enum class TableResult { Done, Continue, NotUsable, Fault };

    std::uint16_t SystemLanguage()
    {
        if (!m_languageKnown) {
            m_language = m_query ? m_query() : kUsEnglish;
            m_languageKnown = true;
        }
        return m_language;
    }
    TableResult ReadNameTable(std::uint32_t tableOffset, Face& face);
    bool Conclude(Face& face);

    Windows m_window;
    const LanguageQuery& m_query;
    const NameDecoder& m_decoder;
    bool m_languageKnown = false;
    std::uint16_t m_language = kUsEnglish;
    std::uint32_t m_entryBudget = kMaxEntriesPerCollection;
    std::uint32_t m_recordBudget = kMaxEntriesPerCollection;
};

FileReader::TableResult FileReader::ReadNameTable(std::uint32_t tableOffset, Face& face)
{
    const std::uint8_t* p = m_window.Get(Part::Table, tableOffset, kNameHeaderSize, kNameHeaderAhead);
    if (!p) return TableResult::Fault;
    const std::uint32_t count = U16(p + 2);
    const std::uint32_t stringOffset = U16(p + 4);
    if (count > face.recordBudget || count > m_recordBudget) return TableResult::Fault;
    face.recordBudget -= count;
    m_recordBudget -= count;

    for (std::uint32_t r = 0; r < count; ++r) {
        const std::uint64_t recordPos =
            std::uint64_t{tableOffset} + kNameHeaderSize + std::uint64_t{r} * kNameRecordSize;
        p = m_window.Get(Part::Table, recordPos, kNameRecordSize, (count - r) * kNameRecordSize);
        if (!p) return TableResult::Fault;
        const NameRecordFields record = ParseNameRecord(p);
        const std::uint16_t nameId = record.nameId;
        const std::uint32_t length = record.length;
        if (record.platformId != kPlatformMicrosoft) continue;
        if (nameId == kNamePostScript) {
            // Read only if some name does not fit.
            const bool english = record.languageId == kUsEnglish;
            if (!face.psFound || (english && !face.psEnglish)) {
                face.psFound = true;
                face.psEnglish = english;
                face.psPos = NameStringPos(tableOffset, stringOffset, record);
                face.psLength = length;
            }
            continue;
        }
        if (nameId != kNameFamily && nameId != kNameSubfamily && nameId != kNameFull) continue;
        if (length > kMaxNameBytes) return TableResult::Fault;

        const std::uint64_t stringPos = NameStringPos(tableOffset, stringOffset, record);
        const std::uint8_t* raw = m_window.Get(Part::String, stringPos, length, std::max(length, kStringAhead));
        if (!raw) return TableResult::Fault;
        bool whole = true;
        std::string text = m_decoder.Decode(raw, length, whole);

        switch (nameId) {
        case kNameFamily:
            face.family.Add(std::move(text), whole, record.languageId, 0);
            break;
        case kNameSubfamily:
            face.subfamily.Add(std::move(text), whole, record.languageId, 0);
            break;
        default:
            face.fullName.Add(std::move(text), whole, record.languageId, SystemLanguage());
            break;
        }
    }

    if (face.fullName.Empty()) return TableResult::NotUsable;
    if (!Conclude(face)) return TableResult::Fault;
    // The success test runs here only, right after a `name` table.
    if (!face.out.family.empty() && !face.out.fullName.empty() && face.out.os2Seen) return TableResult::Done;
    return TableResult::Continue;
}

// The names as chosen so far; false when the PostScript name that one of them needs is damaged.
bool FileReader::Conclude(Face& face)
{
    Text postScript;
    if (face.psFound && (face.family.NeedsFallback() || face.subfamily.NeedsFallback() ||
                         face.fullName.NeedsFallback())) {
        if (face.psLength > kMaxNameBytes) return false;
        const std::uint8_t* raw =
            m_window.Get(Part::String, face.psPos, face.psLength, std::max(face.psLength, kStringAhead));
        if (!raw) return false;
        postScript.found = true;
        postScript.text = m_decoder.Decode(raw, face.psLength, postScript.whole);
    }
    if (!face.family.Empty()) {
        face.out.family = face.family.Chosen(postScript);
        SetFaceName(face.out.logFont, face.out.family);
    }
    if (!face.subfamily.Empty()) face.out.subfamily = face.subfamily.Chosen(postScript);
    face.out.fullName = face.fullName.Chosen(postScript);
    return true;
}

ReadStatus FileReader::ReadFace(std::uint32_t faceOffset, FontNames& out)
{
    out.family.clear();
    out.fullName.clear();
    out.os2Seen = false;
    Face face{out};

    const std::uint8_t* p = m_window.Get(Part::Directory, faceOffset, kOffsetTableSize, kFirstReadAhead);
    if (!p) return ReadStatus::Fault;
    // The version tag is not checked: files with any tag are read.
    const std::uint32_t numTables = U16(p + 4);

    for (std::uint32_t i = 0; i < numTables; ++i) {
        if (m_entryBudget == 0) return ReadStatus::Fault;
        --m_entryBudget;
        p = m_window.Get(Part::Directory, std::uint64_t{faceOffset} + kOffsetTableSize + i * kDirEntrySize,
                         kDirEntrySize, (numTables - i) * kDirEntrySize);
        if (!p) return ReadStatus::Fault;
        const bool isOs2 = std::memcmp(p, "OS/2", 4) == 0;
        const bool isName = std::memcmp(p, "name", 4) == 0;
        // Offsets count from the start of the file, in a collection too.
        const std::uint32_t tableOffset = U32(p + 8);

        if (isOs2) {
            out.os2Seen = true;
            const std::uint8_t* os2 = m_window.Get(Part::Table, tableOffset, kOs2Size, kOs2Size);
            if (!os2) return ReadStatus::Fault;
            FillFromOs2(os2, out.logFont);
        }
        if (isName) {
            switch (ReadNameTable(tableOffset, face)) {
            case TableResult::Done:
                return ReadStatus::Usable;
            case TableResult::NotUsable:
                return ReadStatus::NotUsable;
            case TableResult::Fault:
                return ReadStatus::Fault;
            case TableResult::Continue:
                break;
            }
        }
    }
    return ReadStatus::NotUsable;
}

// Windows-1252: the bytes 0x80-0x9F stand for these characters; 0 where the code page has none.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

class Cp1252Decoder final : public NameDecoder {
public:
    std::string Decode(const std::uint8_t* raw, std::uint32_t length, bool& whole) const override
    {
        const std::uint32_t units = length / 2;
        std::string text;
        text.reserve(units);
        for (std::uint32_t i = 0; i < units; ++i) {
            const std::uint16_t c = U16(raw + 2 * i);
            if (c == 0) break;
            const int byte = ByteOf(c);
            if (byte >= 0) {
                text += static_cast<char>(byte);
                continue;
            }
            // A surrogate pair is one character.
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
                const std::uint16_t low = U16(raw + 2 * (i + 1));
                if (low >= 0xDC00 && low < 0xE000) ++i;
            }
            text += '?';
            whole = false;
        }
        return text;
    }

private:
    static int ByteOf(std::uint16_t c) noexcept
    {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
        for (int i = 0; i < 32; ++i)
            if (kCp1252High[i] == c) return 0x80 + i;
        return -1;
    }
};

} // namespace

const NameDecoder& Cp1252Names()
{
    static const Cp1252Decoder decoder; // stateless
    return decoder;
}

bool ReadFaceOffsets(RandomAccess& file, std::vector<std::uint32_t>& offsets, bool& collection)
{
    Windows window(file);
    return FaceOffsets(window, offsets, collection);
}

ReadStatus ReadFontNames(RandomAccess& file, FontNames& out, const LanguageQuery& systemLanguage,
                         const NameDecoder& decoder)
{
    FileReader reader(file, systemLanguage, decoder);
    std::vector<std::uint32_t> offsets;
    bool collection = false;
    if (!reader.Offsets(offsets, collection)) {
        out.family.clear();
        out.fullName.clear();
        out.os2Seen = false;
        return ReadStatus::Fault;
    }
    return reader.ReadFace(offsets.front(), out);
}

ReadStatus ReadFontFaces(RandomAccess& file, FontFaces& out, const LanguageQuery& systemLanguage,
                         const NameDecoder& decoder)
{
    out.faces.clear();
    FileReader reader(file, systemLanguage, decoder);
    std::vector<std::uint32_t> offsets;
    if (!reader.Offsets(offsets, out.collection)) return ReadStatus::Fault;
    ReadStatus status = ReadStatus::NotUsable;
    out.faces.reserve(offsets.size());
    for (std::uint32_t offset : offsets) {
        FontFace& face = out.faces.emplace_back();
        face.status = reader.ReadFace(offset, face.names);
        if (face.status == ReadStatus::Fault) return ReadStatus::Fault;
        if (face.status == ReadStatus::Usable) status = ReadStatus::Usable;
    }
    return status;
}

} // namespace typa::ttf
