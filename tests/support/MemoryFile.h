#pragma once
// A font file in memory for the readers, in tests and under the fuzzer: counts the reads, the
// bytes they return and the reads that asked for nothing.
#include "fonts/TrueTypeReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace typa::test {

class MemoryFile : public ttf::RandomAccess {
public:
    explicit MemoryFile(std::vector<std::uint8_t> data)
        : m_owned(std::move(data)), m_data(m_owned.data()), m_size(m_owned.size()) {}
    // Reads `data`, which must outlive the file.
    MemoryFile(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) override
    {
        ++reads;
        if (size == 0) ++emptyReads;
        if (offset >= m_size) return 0;
        const std::size_t n = std::min<std::size_t>(size, m_size - offset);
        std::memcpy(buffer, m_data + offset, n);
        bytes += n;
        return static_cast<std::int32_t>(n);
    }

    unsigned reads = 0;
    std::uint64_t bytes = 0;
    unsigned emptyReads = 0;

private:
    std::vector<std::uint8_t> m_owned;
    const std::uint8_t* m_data;
    std::size_t m_size;
};

} // namespace typa::test
