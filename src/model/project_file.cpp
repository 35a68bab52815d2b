#include "model/project_file.h"

#include "base/archive.h"
#include "base/archive_exception.h"
#include "base/memory_stream.h"
#include "model/multitracker_doc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace quillon {

namespace {

namespace fs = std::filesystem;

PromptText fill(const char* pattern, const std::string& file, const std::string& reason)
{
    return PromptText(pattern).arg(file).arg(reason);
}

// The English-message forms of the calls below.
template <class F>
bool inEnglish(std::string& error, F&& call)
{
    PromptText text;
    const bool ok = call(text);
    if (!ok)
        error = text.english();
    return ok;
}

// Only the clip and effect loaders put a sentence for the user into an archive error:
// the source file or the effect that is missing. The other details are notes for
// developers and stay out of the message.
bool namesMissingPart(std::string_view detail)
{
    for (std::string_view lead : {"The audio file ", "An audio file ", "The effect "})
        if (detail.substr(0, lead.size()) == lead)
            return true;
    return false;
}

ssize_t plainWrite(int fd, const void* data, size_t size) { return ::write(fd, data, size); }

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now so that a failing close (delayed write errors on some file systems)
    // is seen; -1 with errno then.
    int close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd);
    }

private:
    int m_fd;
};

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, int& err)
{
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        err = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        err = errno;
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        err = EISDIR;
        return false;
    }
    bytes.clear();
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (n == 0)
            return true;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
}

// A new file beside the target that no one else uses; -1 with errno on failure.
int createTemporary(const fs::path& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "." + target.filename().string() + ".saving-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1));
        tempPath = (folder / name).string();
        // 0666 under the umask, as any new file of the user's.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void syncFolderOf(const fs::path& target)
{
    // Makes the rename itself durable; a folder that cannot be opened only loses that.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

} // namespace

PromptText ProjectFile::loadErrorMessage(const std::exception& error)
{
    if (const auto* archive = dynamic_cast<const ArchiveException*>(&error))
        if (namesMissingPart(archive->detail()))
            return PromptText("%1\n%2").arg(PromptText(kUnexpectedFormat)).arg(archive->message());
    return PromptText(kUnexpectedFormat);
}

bool ProjectFile::loadBytes(CMultitrackerDoc& doc, const uint8_t* data, size_t size, std::string& error)
{
    return inEnglish(error, [&](PromptText& text) { return loadBytes(doc, data, size, text); });
}

bool ProjectFile::load(CMultitrackerDoc& doc, const std::string& path, std::string& error)
{
    return inEnglish(error, [&](PromptText& text) { return load(doc, path, text); });
}

bool ProjectFile::save(CMultitrackerDoc& doc, const std::string& path, std::string& error, const WriteFunction& write)
{
    return inEnglish(error, [&](PromptText& text) { return save(doc, path, text, write); });
}

bool ProjectFile::writeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                            const WriteFunction& write)
{
    return inEnglish(error, [&](PromptText& text) { return writeFile(path, bytes, text, write); });
}

bool ProjectFile::loadBytes(CMultitrackerDoc& doc, const uint8_t* data, size_t size, PromptText& error)
{
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    bool loaded = false;
    try {
        CArchive ar(stream, CArchive::Mode::Load);
        // Deletes the contents first, and again when the load fails.
        doc.serialize(ar);
        loaded = true;
    } catch (const std::exception& e) {
        error = loadErrorMessage(e);
    } catch (...) {
        error = PromptText(kUnexpectedFormat);
    }
    // The snapshots belong to the project that was open before.
    doc.clearUndoHistory();
    doc.setModified(false);
    return loaded;
}

bool ProjectFile::load(CMultitrackerDoc& doc, const std::string& path, PromptText& error)
{
    std::vector<uint8_t> bytes;
    int err = 0;
    if (!readWholeFile(path, bytes, err)) {
        error = fill(kCannotOpenText, path, std::strerror(err));
        return false;
    }
    return loadBytes(doc, bytes.data(), bytes.size(), error);
}

std::vector<uint8_t> ProjectFile::storeBytes(CMultitrackerDoc& doc)
{
    MemoryStream stream;
    CArchive ar(stream, CArchive::Mode::Store);
    doc.serialize(ar);
    return stream.bytes();
}

bool ProjectFile::writeFile(const std::string& path, const std::vector<uint8_t>& bytes, PromptText& error,
                            const WriteFunction& write)
{
    // Saving through a link replaces the file it points to, not the link.
    fs::path target(path);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }

    std::string tempPath;
    Descriptor fd(createTemporary(target, tempPath));
    auto fail = [&](int err) {
        if (fd.get() >= 0)
            fd.close();
        if (!tempPath.empty())
            ::unlink(tempPath.c_str());
        error = fill(kCannotSaveText, path, std::strerror(err));
        return false;
    };
    if (fd.get() < 0) {
        const int err = errno;
        tempPath.clear();
        return fail(err);
    }
    // A file that is replaced keeps its permissions.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd.get(), old.st_mode & 07777);

    const WriteFunction& out = write ? write : WriteFunction(plainWrite);
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = out(fd.get(), p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (n == 0)
            return fail(ENOSPC);
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (fd.close() != 0)
        return fail(errno);
    if (::rename(tempPath.c_str(), target.c_str()) != 0)
        return fail(errno);
    syncFolderOf(target);
    return true;
}

bool ProjectFile::save(CMultitrackerDoc& doc, const std::string& path, PromptText& error, const WriteFunction& write)
{
    std::vector<uint8_t> bytes;
    try {
        bytes = storeBytes(doc);
    } catch (const std::exception& e) {
        error = fill(kCannotSaveText, path, e.what());
        return false;
    }
    if (!writeFile(path, bytes, error, write))
        return false;
    doc.setModified(false);
    return true;
}

} // namespace quillon
