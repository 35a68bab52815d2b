#include "engine/cd_track_export.h"

#include "model/label_list.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace quillon {

CdTrackExportList::CdTrackExportList()
{
    std::error_code ec;
    m_baseDirectory = std::filesystem::current_path(ec).string();
}

CdTrackExportList::CdTrackExportList(CLabelList& labels, int32_t projectEnd) : CdTrackExportList()
{
    build(labels, projectEnd);
}

void CdTrackExportList::build(CLabelList& labels, int32_t projectEnd)
{
    m_entries.clear();
    struct Mark {
        int32_t position;
        bool split;
        std::string title;
    };
    std::vector<Mark> marks;
    {
        // One consistent picture of the list.
        std::lock_guard guard(labels);
        CLabelList::Cursor cursor;
        for (ProjectLabel* l = labels.first(cursor); l; l = labels.next(cursor))
            marks.push_back({l->position, l->kind == ProjectLabel::kTrackSplit, l->title});
    }
    int untitled = 0;
    for (size_t i = 0; i < marks.size(); ++i) {
        CdTrackExportEntry e;
        e.name = nameForTitle(marks[i].title);
        if (e.name.empty()) {
            char text[64];
            std::snprintf(text, sizeof text, "%s%d%s", kUntitled, ++untitled, kExtension);
            e.name = text;
        }
        int32_t end = projectEnd;
        for (size_t k = i + 1; k < marks.size(); ++k)
            if (marks[k].split) {
                end = marks[k].position;
                break;
            }
        e.range = SampleRange(marks[i].position, std::max(marks[i].position, end));
        m_entries.push_back(std::move(e));
    }
}

std::string CdTrackExportList::nameForTitle(const std::string& title)
{
    if (title.empty())
        return {};
    std::string name = title;
    std::replace(name.begin(), name.end(), '/', '_');
    std::replace(name.begin(), name.end(), '\0', '_');
    return name + kExtension;
}

bool CdTrackExportList::isPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

CdTrackExportList::Rename CdTrackExportList::rename(size_t index, const std::string& name)
{
    if (!isPlainFileName(name))
        return Rename::NotAFileName;
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (i != index && m_entries[i].name == name)
            return Rename::Duplicate;
    m_entries[index].name = name;
    return Rename::Done;
}

std::string CdTrackExportList::path(size_t index) const
{
    return (std::filesystem::path(m_baseDirectory) / m_entries[index].name).string();
}

std::optional<size_t> CdTrackExportList::firstConflict() const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (!isPlainFileName(m_entries[i].name))
            return i;
        for (size_t k = 0; k < i; ++k)
            if (m_entries[k].name == m_entries[i].name)
                return i;
    }
    return std::nullopt;
}

} // namespace quillon
