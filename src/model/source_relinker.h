#pragma once
// Finds the source files of a project that are missing where the project says they are.
// While a project loads with a relinker in place, a clip whose source does not open asks
// it: the relinker looks in its search folder (and the folders below it) for a file of
// the same name and, where the clip's state recorded one, the same size, and the clip
// opens that instead. A clip whose file is found nowhere is left out of the project and
// its file listed, so that the project still opens with what was found.
//
// Threads: the loading thread; one relinker is in place per thread at a time.
#include "base/prompt_text.h"
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class CAudioClip;
class FileFilter;

class SourceRelinker {
public:
    static constexpr const char* kMissingText = "These audio files of the project were not found:";
    static constexpr const char* kSearchQuestion =
        "Audio files of the project are missing. Search a folder for them (by name and size)?";

    // An empty folder only lists what is missing.
    explicit SourceRelinker(std::string searchFolder = {});
    ~SourceRelinker();
    SourceRelinker(const SourceRelinker&) = delete;
    SourceRelinker& operator=(const SourceRelinker&) = delete;

    // The relinker of the load running on this thread, or null.
    static SourceRelinker* active();
    // Puts a relinker in place for the lifetime of the scope.
    class Scope {
    public:
        explicit Scope(SourceRelinker* relinker);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        SourceRelinker* m_previous;
    };

    // A state whose source `missingPath` did not open: the state naming the file found
    // instead, or empty (and the file listed as missing).
    std::vector<uint8_t> relink(const FileFilter& filter, const std::vector<uint8_t>& state,
                                const std::string& missingPath);
    // Keeps a clip that was left out until the load is over (the archive may still
    // hold its address).
    void keep(std::unique_ptr<CAudioClip> clip);

    const std::vector<std::string>& missing() const { return m_missing; }
    // Old path, new path.
    const std::vector<std::pair<std::string, std::string>>& relinked() const { return m_relinked; }
    // The message listing the missing files; empty when none is.
    PromptText missingText() const;

private:
    void index();

    std::string m_folder;
    bool m_indexed = false;
    std::multimap<std::string, std::pair<std::string, int64_t>> m_byName; // name -> path, size
    std::vector<std::string> m_missing;
    std::vector<std::pair<std::string, std::string>> m_relinked;
    std::vector<std::unique_ptr<CAudioClip>> m_kept;
};

} // namespace quillon
