#include "fonts/FontDetailsFile.h"

#include "platform/FontFile.h"

#include <algorithm>

namespace typa {
namespace {

class FileAccess final : public ttf::RandomAccess {
public:
    explicit FileAccess(FontFile& file) noexcept : m_file(file) {}
    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) override
    {
        return m_file.ReadAt(offset, buffer, size);
    }

private:
    FontFile& m_file;
};

} // namespace

DetailsFile ReadFontDetailsFile(const std::string& path, ttf::FontDetails& details, std::uint16_t userLanguage,
                                ttf::DetailsStatus* status, int faceIndex)
{
    details = ttf::FontDetails{};
    FontFile file;
    switch (file.Open(path)) {
    case FontFileOpen::NotFound: return DetailsFile::NotFound;
    case FontFileOpen::Failed: return DetailsFile::Failed;
    case FontFileOpen::Opened: break;
    }
    FileAccess access(file);
    const ttf::DetailsStatus read =
        ttf::ReadFontDetails(access, details, userLanguage, static_cast<std::uint32_t>(std::max(faceIndex, 0)));
    if (status) *status = read;
    return DetailsFile::Read;
}

} // namespace typa
