#include "buffered_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quillon::filefilter {

namespace {

BufferedSource* self(void* user) { return static_cast<BufferedSource*>(user); }

sf_count_t ioLength(void* user) { return self(user)->length(); }
sf_count_t ioSeek(sf_count_t offset, int whence, void* user) { return self(user)->seek(offset, whence); }
sf_count_t ioRead(void* dest, sf_count_t bytes, void* user) { return self(user)->read(dest, bytes); }
sf_count_t ioWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t ioTell(void* user) { return self(user)->tell(); }

// Reads up to `bytes` at `offset`, retrying interrupted and partial reads; the count read.
int64_t preadFully(int fd, unsigned char* dest, int64_t bytes, int64_t offset)
{
    int64_t done = 0;
    while (done < bytes) {
        const ssize_t got = ::pread(fd, dest + done, static_cast<size_t>(bytes - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

} // namespace

BufferedSource::~BufferedSource() { close(); }

bool BufferedSource::open(const std::string& path)
{
    close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_position = 0;
    m_bufferStart = 0;
    m_bufferBytes = 0;
    m_buffer.resize(kBufferBytes);
    return true;
}

void BufferedSource::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_bufferBytes = 0;
}

SF_VIRTUAL_IO* BufferedSource::virtualIo()
{
    static SF_VIRTUAL_IO io{ioLength, ioSeek, ioRead, ioWrite, ioTell};
    return &io;
}

int64_t BufferedSource::length() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return 0;
    return static_cast<int64_t>(st.st_size);
}

int64_t BufferedSource::seek(int64_t offset, int whence)
{
    int64_t base = 0;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = m_position; break;
    case SEEK_END: base = length(); break;
    default: return -1;
    }
    const int64_t to = base + offset;
    if (to < 0)
        return -1;
    m_position = to;
    return m_position;
}

int64_t BufferedSource::read(void* dest, int64_t bytes)
{
    if (m_fd < 0 || bytes <= 0)
        return 0;
    auto* out = static_cast<unsigned char*>(dest);
    int64_t done = 0;
    while (done < bytes) {
        const int64_t inBuffer = m_position - m_bufferStart;
        if (inBuffer >= 0 && inBuffer < static_cast<int64_t>(m_bufferBytes)) {
            const int64_t n = std::min<int64_t>(bytes - done, static_cast<int64_t>(m_bufferBytes) - inBuffer);
            std::memcpy(out + done, m_buffer.data() + inBuffer, static_cast<size_t>(n));
            done += n;
            m_position += n;
            continue;
        }
        const int64_t left = bytes - done;
        if (left >= static_cast<int64_t>(m_buffer.size())) {
            // Large requests go straight to the caller's memory.
            const int64_t got = preadFully(m_fd, out + done, left, m_position);
            done += got;
            m_position += got;
            break;
        }
        m_bufferStart = m_position;
        m_bufferBytes = static_cast<size_t>(
            preadFully(m_fd, m_buffer.data(), static_cast<int64_t>(m_buffer.size()), m_bufferStart));
        if (m_bufferBytes == 0)
            break; // the end of the file
    }
    return done;
}

} // namespace quillon::filefilter
