// Writes the seed projects of the fuzz corpus into a folder: small projects that reach
// every part of the loader (tracks, curves, effect and clip records, groups and their
// sends, all label kinds, long and wide strings, other formats, shared class indices).
//   make_seed_corpus fuzz/corpus

#include "base/archive.h"
#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/assignable_group.h"
#include "model/curve.h"
#include "model/multitracker_doc.h"
#include "model/project_file.h"
#include "model/project_label.h"
#include "model/track.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace quillon;

namespace {

void write(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    MemorySettingsStore settings;
    settings.writeProfileInt("General", "AutoTracks", 0);
    RecordingPrompter prompter;

    CMultitrackerDoc doc(settings, prompter);
    doc.onNewDocument();
    write(folder, "one-track.vpf", ProjectFile::storeBytes(doc));

    settings.writeProfileInt("General", "StartupTracks", 3);
    doc.onNewDocument();
    doc.setTitle("Seeds");
    doc.setArtist(std::string(300, 'a'));
    doc.setNotes("wide \u2211 text");
    doc.setCursor(44100);
    doc.setCurrentTrack(2);
    doc.trackAt(0)->setName("Curves");
    CCurve* volume = doc.trackAt(0)->addCurve(CCurve::kVolume);
    volume->addPoint(1000, 0.25f);
    volume->addPoint(1000, 0.75f);
    doc.trackAt(0)->addCurve(CCurve::kPan)->addPoint(5000, 0.0f);
    doc.trackAt(1)->addCurve(CCurve::kPan);
    CAssignableGroup* group = doc.addGroup();
    group->setSendLevel(0, 0.5f);
    group->setSendLevel(2, 1.0f);
    doc.addGroup();
    doc.labels().add(22050, ProjectLabel::kTrackSplit, "Two", "Someone", 100);
    doc.labels().add(30000, ProjectLabel::kIndex);
    doc.labels().add(40000, ProjectLabel::kFreeLabel, "Note");
    const std::vector<uint8_t> rich = ProjectFile::storeBytes(doc);
    write(folder, "tracks-curves-groups-labels.vpf", rich);

    // An effect record of the shipped limiter with an empty state as the one master
    // effect of a one-track project (nothing after it refers to a class index).
    {
        settings.writeProfileInt("General", "StartupTracks", 1);
        CMultitrackerDoc plain(settings, prompter);
        plain.onNewDocument();
        std::vector<uint8_t> bytes = ProjectFile::storeBytes(plain);
        MemoryStream m;
        CArchive ar(m, CArchive::Mode::Store);
        ar.writeU32(1);
        ar.writeU16(0xFFFF);
        ar.writeU16(1);
        ar.writeU16(16);
        ar.writeBytes("CTransformPlugin", 16);
        for (uint32_t w : {0x7C7573A5u, 0x5B804CD5u, 0x5BFE0688u, 0x10ABFFE1u})
            ar.writeU32(w);
        ar.writeU32(0);
        const std::vector<uint8_t> rec = m.bytes();
        // The master count stands before the group count and the 14 bytes of the labels.
        const size_t master = bytes.size() - 14 - 8;
        bytes.erase(bytes.begin() + std::ptrdiff_t(master), bytes.begin() + std::ptrdiff_t(master + 4));
        bytes.insert(bytes.begin() + std::ptrdiff_t(master), rec.begin(), rec.end());
        write(folder, "master-effect-record.vpf", bytes);
    }
    // A clip record whose filter state is opaque, on the first track.
    std::vector<uint8_t> clipped(rich);
    {
        const std::string marker = "Curves";
        auto it = std::search(clipped.begin(), clipped.end(), marker.begin(), marker.end());
        const size_t count = size_t(it - clipped.begin()) + marker.size() + 12;
        clipped[count] = 1;
        MemoryStream m;
        CArchive ar(m, CArchive::Mode::Store);
        ar.writeU16(0xFFFF);
        ar.writeU16(1);
        ar.writeU16(10);
        ar.writeBytes("CAudioClip", 10);
        ar.writeI32(0);
        ar.writeI32(44100);
        ar.writeU32(0x780000);
        ar.writeU32(8);
        ar.writeFloat(1.0f);
        ar.writeBytes("opaque!!", 8);
        ar.writeI32(0); // linear crossfade
        const std::vector<uint8_t> rec = m.bytes();
        clipped.insert(clipped.begin() + std::ptrdiff_t(count + 4), rec.begin(), rec.end());
    }
    write(folder, "clip-record.vpf", clipped);

    WAVEFORMATEX mono = doc.format();
    mono.nChannels = 1;
    mono.nBlockAlign = 2;
    mono.nSamplesPerSec = 48000;
    doc.setFormat(mono);
    write(folder, "mono-48k.vpf", ProjectFile::storeBytes(doc));
    return 0;
}
