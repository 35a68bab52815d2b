#pragma once
// A growable byte buffer with a position: undo snapshots, the clip clipboard and
// archives in memory. Not thread-safe; one owner at a time.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon {

class MemoryStream {
public:
    static constexpr size_t kGrowStep = 1024;

    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes);
    // Undo snapshots carry more than the bytes (a derived class of the model).
    virtual ~MemoryStream() = default;
    MemoryStream(const MemoryStream&) = default;
    MemoryStream& operator=(const MemoryStream&) = default;
    MemoryStream(MemoryStream&&) = default;
    MemoryStream& operator=(MemoryStream&&) = default;

    void write(const void* data, size_t size);
    // Returns the number of bytes read, fewer at the end of the data.
    size_t read(void* data, size_t size);

    void seek(size_t position);
    void seekToBegin() { m_position = 0; }
    size_t position() const { return m_position; }
    size_t size() const { return m_size; }
    size_t capacity() const { return m_buffer.size(); }
    size_t remaining() const { return m_size - m_position; }
    void clear();
    void truncate(size_t size);

    const uint8_t* data() const { return m_buffer.data(); }
    std::vector<uint8_t> bytes() const;

private:
    std::vector<uint8_t> m_buffer; // capacity, in steps of kGrowStep
    size_t m_size = 0;
    size_t m_position = 0;
};

} // namespace quillon
