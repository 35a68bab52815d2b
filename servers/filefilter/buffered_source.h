#pragma once
// Read-only file access for libsndfile's virtual I/O with a large read buffer. libsndfile
// reads plain PCM a few kilobytes at a time, one system call each; a mix of many tracks
// then spends more time entering the kernel than converting samples. This keeps one
// buffer of kBufferBytes per open handle and fills it with pread(), so sequential reading
// costs one call per buffer, and a seek inside the buffer costs none.
//
// The file is read, never mapped: a source that shrinks on disk while it is open gives
// short reads (silence), not a fault.
//
// Not shared between threads, like the SourceFile that owns it.

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::filefilter {

class BufferedSource {
public:
    static constexpr size_t kBufferBytes = 256 * 1024;

    BufferedSource() = default;
    ~BufferedSource();
    BufferedSource(const BufferedSource&) = delete;
    BufferedSource& operator=(const BufferedSource&) = delete;

    // Opens a regular file (anything else would block or never end); false otherwise.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // The callbacks for sf_open_virtual; user data is this object.
    static SF_VIRTUAL_IO* virtualIo();

    int64_t length() const;
    int64_t seek(int64_t offset, int whence);
    int64_t read(void* dest, int64_t bytes);
    int64_t tell() const { return m_position; }

private:
    int m_fd = -1;
    int64_t m_position = 0;
    int64_t m_bufferStart = 0; // file offset of m_buffer[0]
    size_t m_bufferBytes = 0;  // valid bytes in m_buffer
    std::vector<unsigned char> m_buffer;
};

} // namespace quillon::filefilter
