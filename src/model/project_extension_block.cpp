#include "model/project_extension_block.h"

#include "base/archive.h"
#include "model/disc_codes.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/track.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace quillon {

namespace {

struct LabelExtras {
    int32_t pause = 0;
    std::string isrc;
};

} // namespace

void ProjectExtensionBlock::store(CArchive& ar, CMultitrackerDoc& doc)
{
    MemoryStream payload;
    {
        CArchive p(payload, CArchive::Mode::Store);
        p.writeString(doc.catalogNumber());
        {
            // Only the labels under their lock: the document's lock is taken before the
            // labels' elsewhere, never after.
            CLabelList& labels = doc.labels();
            std::lock_guard<CLabelList> guard(labels);
            p.writeU32(uint32_t(labels.count()));
            CLabelList::Cursor walk;
            for (const ProjectLabel* l = labels.first(walk); l; l = labels.next(walk)) {
                p.writeI32(l->pause);
                p.writeString(l->isrc);
            }
        }
        p.writeU32(uint32_t(doc.trackCount()));
        for (int32_t i = 0; i < doc.trackCount(); ++i)
            p.writeU8(doc.trackAt(i)->isActive() ? 1 : 0);
        p.writeU8(doc.autoCdTracks() ? 1 : 0);
    }
    ar.writeBytes(kMagic, sizeof kMagic);
    ar.writeU16(uint16_t(kVersion));
    ar.writeU32(uint32_t(payload.size()));
    ar.writeBytes(payload.data(), payload.size());
}

void ProjectExtensionBlock::load(CArchive& ar, CMultitrackerDoc& doc)
{
    MemoryStream& in = ar.stream();
    constexpr size_t kHeader = sizeof kMagic + 2 + 4;
    if (in.remaining() < kHeader || std::memcmp(in.data() + in.position(), kMagic, sizeof kMagic) != 0)
        return;
    const uint8_t* head = in.data() + in.position() + sizeof kMagic;
    const unsigned version = unsigned(head[0]) | unsigned(head[1]) << 8;
    const uint32_t length = uint32_t(head[2]) | uint32_t(head[3]) << 8 | uint32_t(head[4]) << 16 |
                            uint32_t(head[5]) << 24;
    if (version == 0 || length > in.remaining() - kHeader)
        return;
    const uint8_t* body = head + 6;
    MemoryStream payload(std::vector<uint8_t>(body, body + length));
    in.seek(in.position() + kHeader + length);

    // Everything is read before anything is applied: a block that ends early changes
    // nothing.
    std::string catalog;
    std::vector<LabelExtras> labels;
    std::vector<uint8_t> active;
    uint8_t autoCdTracks = 0;
    try {
        CArchive p(payload, CArchive::Mode::Load);
        catalog = p.readString();
        const uint32_t labelCount = p.readU32();
        if (labelCount > payload.remaining() / 5)
            return;
        labels.resize(labelCount);
        for (LabelExtras& l : labels) {
            l.pause = p.readI32();
            l.isrc = p.readString();
        }
        const uint32_t trackCount = p.readU32();
        if (trackCount > payload.remaining())
            return;
        active.resize(trackCount);
        for (uint8_t& a : active)
            a = p.readU8();
        autoCdTracks = p.readU8();
    } catch (const ArchiveException&) {
        return;
    }

    doc.setCatalogNumber(DiscCodes::normaliseCatalogNumber(catalog));
    doc.setAutoCdTracks(autoCdTracks ? 1 : 0);
    {
        CLabelList& list = doc.labels();
        std::lock_guard<CLabelList> guard(list);
        if (size_t(list.count()) == labels.size()) {
            CLabelList::Cursor walk;
            size_t i = 0;
            for (ProjectLabel* l = list.first(walk); l; l = list.next(walk), ++i) {
                // A negative pause or a code that is no ISRC is damage, not data.
                l->pause = std::max(labels[i].pause, 0);
                l->isrc = DiscCodes::normaliseIsrc(labels[i].isrc);
            }
        }
    }
    if (size_t(doc.trackCount()) == active.size())
        for (int32_t i = 0; i < doc.trackCount(); ++i)
            doc.trackAt(i)->setActive(active[size_t(i)] != 0);
}

} // namespace quillon
