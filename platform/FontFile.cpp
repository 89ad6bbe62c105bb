#include "platform/FontFile.h"

namespace typa {

FontFileOpen FontFile::Open(const std::string& path)
{
    Close();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FontFileOpen::NotFound
                                                                              : FontFileOpen::Failed;
    }
    m_file.Reset(h);
    // A new handle starts at 0.
    m_position = 0;
    m_positionKnown = true;
    return FontFileOpen::Opened;
}

std::int32_t FontFile::ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size)
{
    if (!m_file || offset > 0x7FFFFFFFu || size > 0x7FFFFFFFu) return -1;
    if (!m_positionKnown || m_position != offset) {
        m_positionKnown = false;
        SetLastError(NO_ERROR);
        const DWORD pos = SetFilePointer(m_file.Get(), static_cast<LONG>(offset), nullptr, FILE_BEGIN);
        if (pos == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
        m_position = offset;
        m_positionKnown = true;
    }
    DWORD got = 0;
    ++m_readCalls;
    if (!ReadFile(m_file.Get(), buffer, size, &got, nullptr)) {
        m_positionKnown = false;
        return -1;
    }
    if (got > size) got = size;
    m_position += got;
    m_bytesRead += got;
    return static_cast<std::int32_t>(got);
}

void FontFile::Close() noexcept
{
    m_file.Reset();
    m_positionKnown = false;
    m_readCalls = 0;
    m_bytesRead = 0;
}

} // namespace typa
