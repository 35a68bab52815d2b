#pragma once
// Watches source files for changes by looking at their size and modification time a few
// times a second on one thread shared by all instances. A change is reported once the file
// has looked the same for one interval, so that a file being written is reported when the
// writing pauses, not at every block.
//
// Threads: add and remove from any thread; callbacks run on the watcher's thread, one at a
// time. remove() waits for a running callback of its entry unless it is called from it.

#include "source_file.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace quillon::filefilter {

class FileWatcher {
public:
    using Callback = std::function<void()>;

    static FileWatcher& shared();

    FileWatcher() = default;
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    // `known` is the version the caller has seen. Returns an id for remove().
    uint64_t add(const std::string& path, const FileStamp& known, Callback callback);
    void remove(uint64_t id);

    static constexpr std::chrono::milliseconds kInterval{200};

private:
    struct Entry {
        std::string path;
        FileStamp reported;
        FileStamp seen;
        Callback callback;
    };

    void run();
    void stopLocked(std::unique_lock<std::mutex>& lock);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_callbackDone;
    std::map<uint64_t, Entry> m_entries;
    uint64_t m_nextId = 1;
    uint64_t m_running = 0; // entry whose callback runs now
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace quillon::filefilter
