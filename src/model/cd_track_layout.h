#pragma once
// The CD tracks of a project: where the arrangement puts its CD track splits (the
// earliest audio after each stretch of silence, with that silence as the split's
// pause), how the label list's splits are brought in line with them (keeping titles
// and artists), and how every pause is set to one length by inserting or removing
// time. The document, quillon-cli and the disc burning all see CD tracks through it.
//
// Threads: the user-interface thread, like the document it works on.

#include <cstdint>
#include <vector>

namespace quillon {

class CLabelList;
class CMultitrackerDoc;
class ProjectLabel;

class CdTrackLayout {
public:
    explicit CdTrackLayout(CMultitrackerDoc& doc) : m_doc(doc) {}

    // Adds the CD track splits the arrangement gives to `out` (nothing without clips).
    void compute(CLabelList& out) const;
    // Brings the document's CD track splits in line with the arrangement: pairwise when
    // the counts agree, else merged by position. Indexes and free labels stay.
    void synchronise();
    // Gives every CD track a pause of `seconds`, inserting or removing time on every
    // track, the first CD track's silence included; synchronises before and after.
    // (The document's command adds the undo step and the views' update.)
    void adjustSilence(double seconds);

    // The CD track splits of a label list, in order.
    static std::vector<ProjectLabel*> splits(CLabelList& labels);

private:
    CMultitrackerDoc& m_doc;
};

} // namespace quillon
