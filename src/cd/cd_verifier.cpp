#include "cd_verifier.h"

#include <cdio/cdio.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace quillon {

namespace {

constexpr size_t kBlock = CDIO_CD_FRAMESIZE_RAW; // 2352 bytes, 588 stereo frames

// The WAV file's sample bytes: the chunks are walked, not assumed to start at 44.
bool waveData(std::ifstream& in, uint64_t& offset, uint64_t& size)
{
    char riff[12];
    if (!in.read(riff, 12) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return false;
    uint64_t at = 12;
    for (;;) {
        unsigned char head[8];
        if (!in.read(reinterpret_cast<char*>(head), 8))
            return false;
        const uint64_t length = uint64_t(head[4]) | uint64_t(head[5]) << 8 | uint64_t(head[6]) << 16 |
                                uint64_t(head[7]) << 24;
        at += 8;
        if (std::memcmp(head, "data", 4) == 0) {
            offset = at;
            size = length;
            return true;
        }
        at += length + (length & 1);
        in.seekg(std::streamoff(at));
    }
}

} // namespace

std::string CdVerifier::imageSheet(const std::string& chosenPath)
{
    std::filesystem::path p(chosenPath);
    if (p.extension() == ".cue" || p.extension() == ".bin" || p.extension() == ".toc")
        p.replace_extension();
    return p.string() + ".cue";
}

CdVerifyResult CdVerifier::verify(const std::string& source, bool drive, const std::vector<std::string>& trackFiles)
{
    CdVerifyResult r;
    std::unique_ptr<CdIo_t, void (*)(CdIo_t*)> cd(
        drive ? cdio_open(source.c_str(), DRIVER_DEVICE) : cdio_open_cue(source.c_str()), cdio_destroy);
    if (!cd) {
        r.message = PromptText("The written disc cannot be read back for verification (%1).").arg(source);
        return r;
    }
    const track_t first = cdio_get_first_track_num(cd.get());
    const track_t count = cdio_get_num_tracks(cd.get());
    if (first == CDIO_INVALID_TRACK || count != trackFiles.size()) {
        r.message = PromptText("The written disc has %1 tracks, not %2.")
                        .arg(first == CDIO_INVALID_TRACK ? 0 : int(count))
                        .arg(trackFiles.size());
        return r;
    }
    // The layout comes from libcdio either way; an image's audio is read straight from
    // its BIN file, which is much faster than libcdio's reads of one sector at a time.
    std::ifstream bin;
    if (!drive) {
        bin.open(std::filesystem::path(source).replace_extension(".bin"), std::ios::binary);
        if (!bin) {
            r.message = PromptText("The image's BIN file cannot be read back for verification (%1).").arg(source);
            return r;
        }
    }
    auto read = [&](char* into, lsn_t lsn, uint32_t n) {
        if (drive)
            return cdio_read_audio_sectors(cd.get(), into, lsn, n) == DRIVER_OP_SUCCESS;
        bin.clear();
        bin.seekg(std::streamoff(int64_t(lsn) * int64_t(kBlock)));
        return bool(bin.read(into, std::streamsize(uint64_t(n) * kBlock)));
    };
    constexpr uint32_t kChunk = 448; // about a megabyte
    std::vector<char> disc(kBlock * kChunk), file(kBlock * kChunk);
    for (size_t i = 0; i < trackFiles.size(); ++i) {
        const int number = int(i) + 1;
        std::ifstream in(trackFiles[i], std::ios::binary);
        uint64_t offset = 0, size = 0;
        if (!in || !waveData(in, offset, size)) {
            r.message = PromptText("The track file %1 cannot be read for verification.").arg(trackFiles[i]);
            return r;
        }
        in.seekg(std::streamoff(offset));
        const lsn_t start = cdio_get_track_lsn(cd.get(), track_t(first + i));
        const uint64_t blocks = (size + kBlock - 1) / kBlock;
        for (uint64_t done = 0; done < blocks;) {
            const uint32_t n = uint32_t(std::min<uint64_t>(kChunk, blocks - done));
            const lsn_t lsn = lsn_t(start + int64_t(done));
            if (!read(disc.data(), lsn, n)) {
                r.track = number;
                r.block = lsn;
                r.message = PromptText("CD track %1 cannot be read back at block %2.").arg(number).arg(lsn);
                return r;
            }
            // The file's last block is padded with silence on the disc.
            const uint64_t bytes = std::min<uint64_t>(uint64_t(n) * kBlock, size - done * kBlock);
            std::fill(file.begin(), file.end(), 0);
            in.read(file.data(), std::streamsize(bytes));
            for (uint32_t b = 0; b < n; ++b) {
                if (std::memcmp(disc.data() + b * kBlock, file.data() + b * kBlock, kBlock) != 0) {
                    r.track = number;
                    r.block = lsn + b;
                    r.message = PromptText("Verification failed: CD track %1 differs from its file at block %2.")
                                    .arg(number)
                                    .arg(r.block);
                    return r;
                }
            }
            done += n;
        }
    }
    r.ok = true;
    return r;
}

} // namespace quillon
