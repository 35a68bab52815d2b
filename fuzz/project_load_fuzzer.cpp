// Project loading under libFuzzer. Every input must either load or fail with
// "Unexpected file format." and an empty document, without a crash, a leak or a
// sanitizer report. A project that loads must store, load again and store the same
// bytes, and survive an undo step and its undo and redo.

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/assignable_group.h"
#include "model/multitracker_doc.h"
#include "model/project_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quillon;

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail = {})
{
    std::fprintf(stderr, "project_load_fuzzer: %s %s\n", what, detail.c_str());
    std::abort();
}

CMultitrackerDoc& document()
{
    // One document for every input, as the program reuses its document for every file.
    // Automatic CD tracks would rebuild the labels on every hint (undo sends one), and
    // the comparisons below are about what loading keeps.
    static MemorySettingsStore settings;
    static RecordingPrompter prompter;
    static CMultitrackerDoc doc((settings.writeProfileInt("General", "AutoTracks", 0), settings), prompter);
    return doc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMultitrackerDoc& doc = document();
    std::string error;
    if (!ProjectFile::loadBytes(doc, data, size, error)) {
        if (error.rfind(ProjectFile::kUnexpectedFormat, 0) != 0)
            fail("unexpected message:", error);
        if (doc.trackCount() != 0 || doc.groupCount() != 0 || !doc.masterChain().empty() || doc.labels().count() != 1)
            fail("a failed load left contents");
        return 0;
    }
    // As the program does after opening: a project that keeps its CD tracks in step with
    // its clips lays them out again here.
    doc.updateAllViews(kHintStructure);
    if (doc.format().nChannels != 2 || doc.format().nSamplesPerSec == 0)
        fail("loaded an unusable format");
    for (int32_t g = 0; g < doc.groupCount(); ++g)
        if (doc.groupAt(g)->sendCount() != doc.trackCount())
            fail("a group's sends disagree with the tracks");

    const std::vector<uint8_t> once = ProjectFile::storeBytes(doc);
    if (!ProjectFile::loadBytes(doc, once.data(), once.size(), error))
        fail("a stored project does not load:", error);
    if (ProjectFile::storeBytes(doc) != once)
        fail("storing a loaded project twice gives different bytes");

    doc.openUndoStep();
    doc.setTitle("edited");
    if (!doc.undo() || ProjectFile::storeBytes(doc) != once)
        fail("undo did not restore the project");
    if (!doc.redo() || doc.title() != "edited")
        fail("redo did not restore the edit");
    doc.clearUndoHistory();
    return 0;
}
