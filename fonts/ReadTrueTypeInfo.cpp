#include "fonts/ReadTrueTypeInfo.h"

#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "fonts/NameCompare.h"
#include "fonts/TrueTypeReader.h"
#include "platform/CodePage.h"
#include "platform/FontFile.h"
#include "platform/SystemLanguage.h"

#include <cstring>
#include <unordered_set>

namespace typa {

namespace {

constexpr int kMsgBadTrueTypeFile = 3008;

// The open file as the portable reader sees it, with a record of the reads when asked.
class FontFileAccess final : public ttf::RandomAccess {
public:
    FontFileAccess(FontFile& file, std::vector<FontReadRequest>* log) noexcept
        : m_file(file), m_log(log) {}

    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) override
    {
        if (m_log) m_log->push_back({offset, size});
        return m_file.ReadAt(offset, buffer, size);
    }

private:
    FontFile& m_file;
    std::vector<FontReadRequest>* m_log;
};

void FromFields(const ttf::LogFontFields& f, LOGFONTA& lf) noexcept
{
    lf.lfHeight = f.height;
    lf.lfWidth = f.width;
    lf.lfEscapement = f.escapement;
    lf.lfOrientation = f.orientation;
    lf.lfWeight = f.weight;
    lf.lfItalic = f.italic;
    lf.lfUnderline = f.underline;
    lf.lfStrikeOut = f.strikeOut;
    lf.lfCharSet = f.charSet;
    lf.lfOutPrecision = f.outPrecision;
    lf.lfClipPrecision = f.clipPrecision;
    lf.lfQuality = f.quality;
    lf.lfPitchAndFamily = f.pitchAndFamily;
    std::memcpy(lf.lfFaceName, f.faceName, sizeof lf.lfFaceName);
}

// Names in the system's ANSI code page, as Windows itself converts them.
class AnsiNames final : public ttf::NameDecoder {
public:
    std::string Decode(const std::uint8_t* raw, std::uint32_t length, bool& whole) const override
    {
        std::wstring text;
        text.reserve(length / 2);
        for (std::uint32_t i = 0; i + 1 < length; i += 2) {
            const wchar_t c = static_cast<wchar_t>((raw[i] << 8) | raw[i + 1]);
            if (c == 0) break;
            text += c;
        }
        return cp::FromUtf16(text.data(), text.size(), whole);
    }
};

TrueTypeOutcome Read(const std::string& path, FontFileInfo& info, const TrueTypeInfo& start,
                     const ttf::LanguageQuery& language, FontReadStats* stats)
{
    info.collection = false;
    info.faceCount = 0;
    info.faces.clear();

    FontFile file;
    switch (file.Open(path)) {
    case FontFileOpen::NotFound:
        return TrueTypeOutcome::NotFound;
    case FontFileOpen::Failed:
        return TrueTypeOutcome::NotUsable;
    case FontFileOpen::Opened:
        break;
    }

    ttf::FontFaces faces;
    FontFileAccess access(file, stats ? stats->log : nullptr);
    const AnsiNames decoder;
    const ttf::ReadStatus status = ttf::ReadFontFaces(access, faces, language, decoder);
    if (stats) {
        stats->reads += file.ReadCalls();
        stats->bytes += file.BytesRead();
    }

    switch (status) {
    case ttf::ReadStatus::Usable:
    case ttf::ReadStatus::NotUsable:
        break;
    case ttf::ReadStatus::Fault: {
        // The file stays open while the user decides.
        const MsgResult answer = ShowMessageBox(FormatMessage(kMsgBadTrueTypeFile, {path}), MsgKind::Error,
                                                MsgButton::Yes | MsgButton::No);
        return answer == MsgResult::Yes ? TrueTypeOutcome::NotUsable : TrueTypeOutcome::StopScan;
    }
    }
    info.collection = faces.collection;
    info.faceCount = static_cast<int>(faces.faces.size());
    std::unordered_set<std::string> names;
    for (std::size_t i = 0; i < faces.faces.size(); ++i) {
        ttf::FontFace& face = faces.faces[i];
        if (face.status != ttf::ReadStatus::Usable) continue;
        if (!names.insert(NameKey(face.names.fullName)).second) continue;
        TrueTypeInfo& out = info.faces.emplace_back(start);
        out.family = std::move(face.names.family);
        out.fullName = std::move(face.names.fullName);
        if (!face.names.subfamily.empty()) out.subfamily = std::move(face.names.subfamily);
        FromFields(face.names.logFont, out.logFont);
        out.faceIndex = static_cast<int>(i);
    }
    return info.faces.empty() ? TrueTypeOutcome::NotUsable : TrueTypeOutcome::Usable;
}

TrueTypeOutcome ReadFirstFace(const std::string& path, TrueTypeInfo& info, const ttf::LanguageQuery& language,
                              FontReadStats* stats)
{
    FontFileInfo file;
    const TrueTypeInfo start = info;
    info.family.clear();
    info.fullName.clear();
    const TrueTypeOutcome outcome = Read(path, file, start, language, stats);
    if (outcome == TrueTypeOutcome::Usable) info = std::move(file.faces.front());
    return outcome;
}

} // namespace

TrueTypeOutcome ReadFontFileInfo(const std::string& path, FontFileInfo& info, LANGID systemLanguage,
                                 FontReadStats* stats)
{
    return Read(path, info, TrueTypeInfo{}, [systemLanguage] { return static_cast<std::uint16_t>(systemLanguage); },
                stats);
}

TrueTypeOutcome ReadTrueTypeInfo(const std::string& path, TrueTypeInfo& info)
{
    return ReadFirstFace(path, info, [] { return static_cast<std::uint16_t>(sys::SystemLanguage()); }, nullptr);
}

TrueTypeOutcome ReadTrueTypeInfo(const std::string& path, TrueTypeInfo& info, LANGID systemLanguage,
                                 FontReadStats* stats)
{
    return ReadFirstFace(path, info, [systemLanguage] { return static_cast<std::uint16_t>(systemLanguage); },
                         stats);
}

} // namespace typa
