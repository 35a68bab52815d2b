#include "peak_data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

namespace quillon::filefilter {

namespace {

constexpr char kMagic[8] = {'V', 'Q', 'P', 'E', 'A', 'K', 'S', 0};
constexpr uint32_t kVersion = 1;

struct PeakFileHeader {
    char magic[8];
    uint32_t version;
    uint32_t block;
    uint32_t channels;
    uint32_t reserved;
    uint64_t sourceFrames;
    uint64_t sourceSize;
    int64_t sourceModifiedNs;
    uint64_t blocks;
};
static_assert(sizeof(PeakFileHeader) == 56);

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Peak files are read without following a symbolic link, so that a link planted under
// a peak file's (predictable) name cannot point the reader elsewhere.
FILE* openNoFollow(const std::string& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    FILE* f = ::fdopen(fd, "rb");
    if (!f)
        ::close(fd);
    return f;
}

// A new file of unguessable name beside `file`, created exclusively (never through a
// link); its name goes to `temp`.
FILE* createTemporary(const std::string& file, std::string& temp)
{
    temp = file + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    FILE* f = ::fdopen(fd, "wb");
    if (!f) {
        ::close(fd);
        ::unlink(temp.c_str());
    }
    return f;
}

uint64_t fnv1a(const std::string& text)
{
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

PeakData::PeakData(int channels, int64_t frames)
    : m_channels(channels), m_frames(frames), m_blocks((frames + kBlock - 1) / kBlock),
      m_fine(static_cast<size_t>(m_blocks * channels * 2), 0.0f)
{
}

void PeakData::setBlocks(int64_t first, const float* pairs, int64_t count)
{
    std::lock_guard lock(m_mutex);
    if (first < 0 || first >= m_blocks)
        return;
    count = std::min(count, m_blocks - first);
    const size_t stride = static_cast<size_t>(m_channels) * 2;
    std::memcpy(m_fine.data() + static_cast<size_t>(first) * stride, pairs,
                static_cast<size_t>(count) * stride * sizeof(float));
}

void PeakData::finish()
{
    std::lock_guard lock(m_mutex);
    buildCoarse();
}

void PeakData::buildCoarse()
{
    const int64_t groups = (m_blocks + kGroup - 1) / kGroup;
    m_coarse.assign(static_cast<size_t>(groups * m_channels * 2), 0.0f);
    for (int64_t g = 0; g < groups; ++g) {
        const int64_t first = g * kGroup;
        rangeLocked(first, std::min(first + kGroup, m_blocks), m_coarse.data() + g * m_channels * 2);
    }
}

void PeakData::rangeLocked(int64_t firstBlock, int64_t endBlock, float* out) const
{
    const size_t ch = static_cast<size_t>(m_channels);
    for (size_t c = 0; c < ch; ++c) {
        out[2 * c] = std::numeric_limits<float>::max();
        out[2 * c + 1] = std::numeric_limits<float>::lowest();
    }
    auto merge = [&](const float* pairs) {
        for (size_t c = 0; c < ch; ++c) {
            out[2 * c] = std::min(out[2 * c], pairs[2 * c]);
            out[2 * c + 1] = std::max(out[2 * c + 1], pairs[2 * c + 1]);
        }
    };
    int64_t b = firstBlock;
    if (!m_coarse.empty()) {
        // Whole groups from the coarse level, the ragged ends from the fine one.
        for (; b < endBlock && b % kGroup != 0; ++b)
            merge(m_fine.data() + b * ch * 2);
        for (; b + kGroup <= endBlock; b += kGroup)
            merge(m_coarse.data() + (b / kGroup) * ch * 2);
    }
    for (; b < endBlock; ++b)
        merge(m_fine.data() + b * ch * 2);
    if (firstBlock >= endBlock)
        std::fill(out, out + ch * 2, 0.0f);
}

void PeakData::range(int64_t begin, int64_t end, float* out) const
{
    std::lock_guard lock(m_mutex);
    begin = std::clamp<int64_t>(begin, 0, m_frames);
    end = std::clamp<int64_t>(end, 0, m_frames);
    const int64_t first = begin / kBlock;
    const int64_t last = end > begin ? (end + kBlock - 1) / kBlock : first;
    rangeLocked(first, last, out);
}

bool PeakData::load(const std::string& file, const FileStamp& source)
{
    File f(openNoFollow(file));
    if (!f)
        return false;
    PeakFileHeader h{};
    if (std::fread(&h, sizeof h, 1, f.get()) != 1 || std::memcmp(h.magic, kMagic, sizeof kMagic) != 0 ||
        h.version != kVersion || h.block != kBlock || h.channels != static_cast<uint32_t>(m_channels) ||
        h.sourceFrames != static_cast<uint64_t>(m_frames) || h.sourceSize != source.size ||
        h.sourceModifiedNs != source.modifiedNs || h.blocks != static_cast<uint64_t>(m_blocks))
        return false;
    std::vector<float> fine(m_fine.size());
    if (std::fread(fine.data(), sizeof(float), fine.size(), f.get()) != fine.size())
        return false;
    // Trailing bytes mean the file is not what its header says.
    if (std::fgetc(f.get()) != EOF)
        return false;
    std::lock_guard lock(m_mutex);
    m_fine = std::move(fine);
    buildCoarse();
    return true;
}

bool PeakData::save(const std::string& file, const FileStamp& source) const
{
    // Written under a temporary name and renamed, so that a reader never sees half a
    // file; the rename replaces a link at `file` rather than writing through it.
    std::string temp;
    {
        File f(createTemporary(file, temp));
        if (!f)
            return false;
        PeakFileHeader h{};
        std::memcpy(h.magic, kMagic, sizeof kMagic);
        h.version = kVersion;
        h.block = kBlock;
        h.channels = static_cast<uint32_t>(m_channels);
        h.sourceFrames = static_cast<uint64_t>(m_frames);
        h.sourceSize = source.size;
        h.sourceModifiedNs = source.modifiedNs;
        h.blocks = static_cast<uint64_t>(m_blocks);
        std::lock_guard lock(m_mutex);
        bool ok = std::fwrite(&h, sizeof h, 1, f.get()) == 1 &&
                  std::fwrite(m_fine.data(), sizeof(float), m_fine.size(), f.get()) == m_fine.size();
        ok = std::fflush(f.get()) == 0 && ok;
        if (!ok) {
            f.reset();
            std::remove(temp.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

std::string PeakData::peakFileName(const std::string& folder, const std::string& sourcePath)
{
    std::string base = std::filesystem::path(sourcePath).filename().string();
    // Leave room for the suffix within the usual 255-byte name limit, never splitting a
    // UTF-8 sequence.
    constexpr size_t kMaxBase = 200;
    if (base.size() > kMaxBase) {
        size_t cut = kMaxBase;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.resize(cut);
    }
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-%016llx.vqpk", static_cast<unsigned long long>(fnv1a(sourcePath)));
    return (std::filesystem::path(folder) / (base + suffix)).string();
}

} // namespace quillon::filefilter
