#include "fonts/ReadTrueTypeInfo.h"

#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "fonts/TrueTypeReader.h"
#include "platform/FontFile.h"
#include "platform/SystemLanguage.h"

#include <cstring>

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

void ToFields(const LOGFONTA& lf, ttf::LogFontFields& f) noexcept
{
    f.height = lf.lfHeight;
    f.width = lf.lfWidth;
    f.escapement = lf.lfEscapement;
    f.orientation = lf.lfOrientation;
    f.weight = lf.lfWeight;
    f.italic = lf.lfItalic;
    f.underline = lf.lfUnderline;
    f.strikeOut = lf.lfStrikeOut;
    f.charSet = lf.lfCharSet;
    f.outPrecision = lf.lfOutPrecision;
    f.clipPrecision = lf.lfClipPrecision;
    f.quality = lf.lfQuality;
    f.pitchAndFamily = lf.lfPitchAndFamily;
    static_assert(sizeof f.faceName == sizeof lf.lfFaceName);
    std::memcpy(f.faceName, lf.lfFaceName, sizeof f.faceName);
}

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

TrueTypeOutcome Read(const std::string& path, TrueTypeInfo& info, const ttf::LanguageQuery& language,
                     FontReadStats* stats)
{
    info.family.clear();
    info.fullName.clear();

    FontFile file;
    switch (file.Open(path)) {
    case FontFileOpen::NotFound:
        return TrueTypeOutcome::NotFound;
    case FontFileOpen::Failed:
        return TrueTypeOutcome::NotUsable;
    case FontFileOpen::Opened:
        break;
    }

    ttf::FontNames names;
    names.subfamily = std::move(info.subfamily);
    ToFields(info.logFont, names.logFont);
    FontFileAccess access(file, stats ? stats->log : nullptr);
    const ttf::ReadStatus status = ttf::ReadFontNames(access, names, language);
    info.family = std::move(names.family);
    info.fullName = std::move(names.fullName);
    info.subfamily = std::move(names.subfamily);
    FromFields(names.logFont, info.logFont);
    if (stats) {
        stats->reads += file.ReadCalls();
        stats->bytes += file.BytesRead();
    }

    switch (status) {
    case ttf::ReadStatus::Usable:
        return TrueTypeOutcome::Usable;
    case ttf::ReadStatus::NotUsable:
        return TrueTypeOutcome::NotUsable;
    case ttf::ReadStatus::Fault:
        break;
    }
    // The file stays open while the user decides.
    const MsgResult answer = ShowMessageBox(FormatMessage(kMsgBadTrueTypeFile, {path}), MsgKind::Error,
                                            MsgButton::Yes | MsgButton::No);
    return answer == MsgResult::Yes ? TrueTypeOutcome::NotUsable : TrueTypeOutcome::StopScan;
}

} // namespace

TrueTypeOutcome ReadTrueTypeInfo(const std::string& path, TrueTypeInfo& info)
{
    return Read(path, info, [] { return static_cast<std::uint16_t>(sys::SystemLanguage()); }, nullptr);
}

TrueTypeOutcome ReadTrueTypeInfo(const std::string& path, TrueTypeInfo& info, LANGID systemLanguage,
                                 FontReadStats* stats)
{
    return Read(path, info, [systemLanguage] { return static_cast<std::uint16_t>(systemLanguage); }, stats);
}

} // namespace typa
