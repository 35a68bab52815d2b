#pragma once
// What `quillon-cli info` prints about a project: as plain text or as JSON with keys in
// snake_case.

#include <ostream>

namespace quillon {

class CMultitrackerDoc;

class ProjectInfo {
public:
    explicit ProjectInfo(CMultitrackerDoc& doc) : m_doc(doc) {}
    void writeText(std::ostream& out) const;
    void writeJson(std::ostream& out) const;

private:
    CMultitrackerDoc& m_doc;
};

} // namespace quillon
