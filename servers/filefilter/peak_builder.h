#pragma once
// Fills a PeakData for one source on a thread of its own: from the source's peak file when
// that still matches the source, else by reading the source and writing the peak file.
//
// Threads: start, cancel and the destructor belong to the owning instance (under its
// lock); percent() may be called from anywhere. Jobs on the same source run one after the
// other, and only a few jobs read at once, so a project load does not thrash the disk.

#include "peak_data.h"
#include "source_file.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace quillon::filefilter {

class PeakBuilder {
public:
    PeakBuilder(const SourceInfo& source, std::string peakFolder, std::shared_ptr<PeakData> data);
    ~PeakBuilder(); // cancels and waits
    PeakBuilder(const PeakBuilder&) = delete;
    PeakBuilder& operator=(const PeakBuilder&) = delete;

    void cancel();
    // 0..100; 100 only once every block is in.
    uint32_t percent() const { return m_percent.load(); }
    bool loadedFromFile() const { return m_loadedFromFile.load(); }

private:
    void run();
    bool build();

    SourceInfo m_source;
    std::string m_peakFolder;
    std::shared_ptr<PeakData> m_data;
    std::atomic<bool> m_cancel{false};
    std::atomic<uint32_t> m_percent{0};
    std::atomic<bool> m_loadedFromFile{false};
    std::thread m_thread;
};

} // namespace quillon::filefilter
