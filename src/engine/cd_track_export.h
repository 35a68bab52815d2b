#pragma once
// What "Export CD Tracks to Audio Files..." writes: one destination file per label of
// the project, in label order, each with the stretch of the project it receives, and the
// folder they go to. The dialog (and the command-line tool) edit this list; the audio
// exporter writes it.
//
// Names: a label's title followed by ".wav"; an untitled label gives "Untitled1.wav",
// "Untitled2.wav", ... counting untitled labels only. A path separator in a title becomes
// "_", so that every file lands in the chosen folder. No two entries may have the same
// name.
//
// Ranges: each file receives its own CD track: from its label to the next CD track split
// after it, the last to the project end, as burning cuts them.
//
// Threads: a plain value, used on one thread.

#include "base/sample_range.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

class CLabelList;

struct CdTrackExportEntry {
    std::string name;
    SampleRange range;
};

class CdTrackExportList {
public:
    static constexpr const char* kDuplicateText = "A track with the same destination already exists.";
    static constexpr const char* kUntitled = "Untitled";
    static constexpr const char* kExtension = ".wav";

    enum class Rename { Done, Duplicate, NotAFileName };

    // The base folder starts as the process's current folder.
    CdTrackExportList();
    // Fills the list from the labels (any kind), replacing what it held.
    CdTrackExportList(CLabelList& labels, int32_t projectEnd);
    void build(CLabelList& labels, int32_t projectEnd);

    const std::string& baseDirectory() const { return m_baseDirectory; }
    void setBaseDirectory(std::string folder) { m_baseDirectory = std::move(folder); }

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const CdTrackExportEntry& entry(size_t index) const { return m_entries[index]; }
    const std::vector<CdTrackExportEntry>& entries() const { return m_entries; }

    // Refused when another entry already has the name (Duplicate: the dialog shows
    // kDuplicateText) or when it is no plain file name (empty, ".", "..", or holding a
    // path separator). Renaming an entry to its own name is fine.
    Rename rename(size_t index, const std::string& name);
    // The base folder joined with the entry's name.
    std::string path(size_t index) const;
    // The first entry whose name another entry also has or that is no plain file name;
    // none when the whole list can be written.
    std::optional<size_t> firstConflict() const;

    // A label title turned into a file name: the title with separators replaced and
    // ".wav" appended; empty for an untitled label.
    static std::string nameForTitle(const std::string& title);
    static bool isPlainFileName(const std::string& name);

private:
    std::string m_baseDirectory;
    std::vector<CdTrackExportEntry> m_entries;
};

} // namespace quillon
