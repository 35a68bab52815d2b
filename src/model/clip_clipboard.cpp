#include "model/clip_clipboard.h"

#include "base/archive.h"
#include "model/audio_clip.h"

namespace quillon {

void ClipClipboard::clear()
{
    m_entries.clear();
    m_referencePosition = 0;
    m_referenceTrack = 0;
}

void ClipClipboard::append(const CAudioClip& clip, int32_t track)
{
    auto entry = std::make_unique<Entry>();
    entry->track = track;
    {
        CArchive ar(entry->stream, CArchive::Mode::Store);
        ar.writeObject(&clip);
    }
    if (m_entries.empty()) {
        m_referenceTrack = track;
        m_referencePosition = clip.start();
    }
    m_entries.push_back(std::move(entry));
}

std::unique_ptr<CAudioClip> ClipClipboard::readClip(size_t index)
{
    Entry& entry = *m_entries.at(index);
    entry.stream.seekToBegin();
    CArchive ar(entry.stream, CArchive::Mode::Load);
    std::unique_ptr<CAudioClip> clip(ar.readObjectAs<CAudioClip>());
    if (!clip)
        throw ArchiveException(ArchiveException::Kind::BadIndex, "empty clipboard entry");
    return clip;
}

} // namespace quillon
