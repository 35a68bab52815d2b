#include "file_watcher.h"

#include <vector>

namespace quillon::filefilter {

FileWatcher& FileWatcher::shared()
{
    static FileWatcher watcher;
    return watcher;
}

FileWatcher::~FileWatcher()
{
    std::unique_lock lock(m_mutex);
    stopLocked(lock);
}

void FileWatcher::stopLocked(std::unique_lock<std::mutex>& lock)
{
    if (!m_thread.joinable() || m_thread.get_id() == std::this_thread::get_id())
        return;
    m_stop = true;
    m_wake.notify_all();
    std::thread t = std::move(m_thread);
    lock.unlock();
    t.join();
    lock.lock();
    m_stop = false;
}

uint64_t FileWatcher::add(const std::string& path, const FileStamp& known, Callback callback)
{
    std::unique_lock lock(m_mutex);
    const uint64_t id = m_nextId++;
    m_entries[id] = Entry{path, known, known, std::move(callback)};
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
    return id;
}

void FileWatcher::remove(uint64_t id)
{
    std::unique_lock lock(m_mutex);
    m_entries.erase(id);
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_callbackDone.wait(lock, [&] { return m_running != id; });
    // The thread must not outlive the last instance: the library may be unloaded next.
    if (m_entries.empty())
        stopLocked(lock);
}

void FileWatcher::run()
{
    std::unique_lock lock(m_mutex);
    std::vector<std::pair<uint64_t, std::string>> paths;
    while (!m_stop) {
        m_wake.wait_for(lock, kInterval, [&] { return m_stop; });
        if (m_stop)
            break;
        paths.clear();
        for (const auto& [id, e] : m_entries)
            paths.emplace_back(id, e.path);
        for (const auto& [id, path] : paths) {
            lock.unlock();
            FileStamp now; // a missing file reads as an empty stamp, which is a change too
            SourceFile::stamp(path, now);
            lock.lock();
            if (m_stop)
                break;
            auto it = m_entries.find(id);
            if (it == m_entries.end())
                continue;
            Entry& e = it->second;
            const bool settled = now == e.seen;
            e.seen = now;
            if (!settled || now == e.reported)
                continue;
            e.reported = now;
            Callback callback = e.callback;
            m_running = id;
            lock.unlock();
            callback();
            lock.lock();
            m_running = 0;
            m_callbackDone.notify_all();
        }
    }
}

} // namespace quillon::filefilter
