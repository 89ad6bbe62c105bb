#include "fonts/InstalledMemory.h"

#include "platform/Files.h"

#include <cstring>

namespace typa {
namespace {

constexpr char kMagic[8] = {'T', 'Y', 'P', 'A', 'M', 'E', 'M', '1'};
constexpr std::uint32_t kMaxText = 4096;        // a registry value name holds at most 16,383 characters; font names far fewer
constexpr std::uint32_t kMaxFacesPerValue = 1024;
constexpr std::uint32_t kMaxValues = 1u << 20;
constexpr std::uint64_t kMaxFileBytes = 256u << 20;

std::uint64_t Fnv1a(const char* data, std::size_t size)
{
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= static_cast<unsigned char>(data[i]);
        h *= 1099511628211ull;
    }
    return h;
}

class Writer {
public:
    void U8(std::uint8_t v) { m_out += static_cast<char>(v); }
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void U64(std::uint64_t v)
    {
        for (int i = 0; i < 8; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void Text(const std::string& s)
    {
        U32(static_cast<std::uint32_t>(s.size()));
        m_out += s;
    }
    void Raw(const void* p, std::size_t n) { m_out.append(static_cast<const char*>(p), n); }
    std::string& Out() { return m_out; }

private:
    std::string m_out;
};

class Reader {
public:
    Reader(const std::string& in, std::size_t end) : m_in(in), m_end(end) {}
    bool U8(std::uint8_t& v)
    {
        if (m_pos + 1 > m_end) return false;
        v = static_cast<std::uint8_t>(m_in[m_pos++]);
        return true;
    }
    bool U32(std::uint32_t& v)
    {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b;
            if (!U8(b)) return false;
            v |= std::uint32_t{b} << (8 * i);
        }
        return true;
    }
    bool U64(std::uint64_t& v)
    {
        v = 0;
        for (int i = 0; i < 8; ++i) {
            std::uint8_t b;
            if (!U8(b)) return false;
            v |= std::uint64_t{b} << (8 * i);
        }
        return true;
    }
    bool Text(std::string& s)
    {
        std::uint32_t n;
        if (!U32(n) || n > kMaxText || n > m_end - m_pos) return false;
        s.assign(m_in, m_pos, n);
        m_pos += n;
        return true;
    }
    bool Raw(void* p, std::size_t n)
    {
        if (n > m_end - m_pos) return false;
        std::memcpy(p, m_in.data() + m_pos, n);
        m_pos += n;
        return true;
    }
    bool AtEnd() const noexcept { return m_pos == m_end; }

private:
    const std::string& m_in;
    std::size_t m_end;
    std::size_t m_pos = sizeof kMagic;
};

} // namespace

std::string TInstalledMemory::Key(bool forUser, const std::string& valueName, const std::string& data)
{
    std::string key;
    key.reserve(valueName.size() + data.size() + 3);
    key += forUser ? 'U' : 'S';
    key += valueName;
    key += '\0';
    key += data;
    return key;
}

std::shared_ptr<TFontFile> TInstalledMemory::Recall(bool forUser, const std::string& valueName, const std::string& data,
                                                    const FileStamp& stamp) const
{
    auto it = m_files.find(Key(forUser, valueName, data));
    if (it == m_files.end() || !(it->second->Stamp == stamp)) return nullptr;
    return it->second;
}

void TInstalledMemory::Keep(const std::vector<std::shared_ptr<TFontFile>>& files)
{
    std::unordered_map<std::string, std::shared_ptr<TFontFile>> kept;
    kept.reserve(files.size());
    for (const auto& file : files) {
        if (!file) continue;
        std::string key = Key(file->ForUser, file->ValueName, file->Data);
        auto was = m_files.find(key);
        if (was == m_files.end() || was->second != file) m_changed = true;
        kept[std::move(key)] = file;
    }
    if (kept.size() != m_files.size()) m_changed = true;
    m_files = std::move(kept);
}

std::string TInstalledMemory::Serialize(int dpi) const
{
    Writer w;
    w.Raw(kMagic, sizeof kMagic);
    w.U32(static_cast<std::uint32_t>(dpi));
    w.U32(static_cast<std::uint32_t>(m_files.size()));
    for (const auto& [key, file] : m_files) {
        w.U8(file->ForUser ? 1 : 0);
        w.Text(file->ValueName);
        w.Text(file->Data);
        w.U64(file->Stamp.size);
        w.U64(file->Stamp.time);
        w.U8(file->Collection ? 1 : 0);
        w.U32(static_cast<std::uint32_t>(file->Faces.size()));
        for (const TFontFile::Face& face : file->Faces) {
            w.Text(face.name);
            w.Text(face.family);
            w.U8(face.standardStripped ? 1 : 0);
            w.U32(static_cast<std::uint32_t>(face.rowFontHeight));
            w.Raw(&face.logFont, sizeof face.logFont);
        }
    }
    const std::uint64_t sum = Fnv1a(w.Out().data(), w.Out().size());
    w.U64(sum);
    return std::move(w.Out());
}

bool TInstalledMemory::Parse(const std::string& bytes, int dpi)
{
    m_files.clear();
    if (bytes.size() < sizeof kMagic + 8 + 8 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return false;
    const std::size_t end = bytes.size() - 8;
    std::uint64_t sum = 0;
    for (int i = 0; i < 8; ++i) sum |= std::uint64_t{static_cast<unsigned char>(bytes[end + i])} << (8 * i);
    if (sum != Fnv1a(bytes.data(), end)) return false;

    Reader r(bytes, end);
    std::uint32_t savedDpi = 0, count = 0;
    if (!r.U32(savedDpi) || !r.U32(count) || count > kMaxValues) return false;
    const bool sameDpi = static_cast<int>(savedDpi) == dpi;
    std::unordered_map<std::string, std::shared_ptr<TFontFile>> files;
    for (std::uint32_t i = 0; i < count; ++i) {
        auto file = std::make_shared<TFontFile>();
        std::uint8_t forUser = 0, collection = 0;
        std::uint32_t faces = 0;
        if (!r.U8(forUser) || !r.Text(file->ValueName) || !r.Text(file->Data) || !r.U64(file->Stamp.size) ||
            !r.U64(file->Stamp.time) || !r.U8(collection) || !r.U32(faces) || faces == 0 || faces > kMaxFacesPerValue)
            return false;
        file->ForUser = forUser != 0;
        file->Collection = collection != 0;
        file->Faces.resize(faces);
        for (TFontFile::Face& face : file->Faces) {
            std::uint8_t stripped = 0;
            std::uint32_t height = 0;
            if (!r.Text(face.name) || !r.Text(face.family) || !r.U8(stripped) || !r.U32(height) ||
                !r.Raw(&face.logFont, sizeof face.logFont))
                return false;
            face.standardStripped = stripped != 0;
            face.rowFontHeight = sameDpi && height < 10000 ? static_cast<int>(height) : 0;
            face.logFont.lfFaceName[LF_FACESIZE - 1] = '\0'; // a record read from a file is not trusted to end
        }
        files[Key(file->ForUser, file->ValueName, file->Data)] = std::move(file);
    }
    if (!r.AtEnd()) return false;
    m_files = std::move(files);
    return true;
}

bool TInstalledMemory::Load(const std::string& path, int dpi)
{
    m_changed = false;
    std::string bytes;
    if (files::ReadWhole(path, bytes, kMaxFileBytes) != 0) {
        m_files.clear();
        return false;
    }
    return Parse(bytes, dpi);
}

bool TInstalledMemory::Save(const std::string& path, int dpi)
{
    const auto slash = path.find_last_of('\\');
    if (slash == std::string::npos) return false;
    const std::string folder = path.substr(0, slash);
    files::MakeFolders(folder);
    files::TemporaryFile next(folder);
    if (next.Path().empty() || files::WriteWhole(next.Path(), Serialize(dpi)) != 0) return false;
    if (files::MoveOver(next.Path(), path) != 0) return false;
    next.Keep();
    m_changed = false;
    return true;
}

} // namespace typa
