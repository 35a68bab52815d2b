#pragma once
// Rebuilds a project from a CUE sheet and its audio: each file of the sheet becomes a
// clip on the first track, one after another; each sheet track a CD track split at its
// index 1 with the pause from its index 0, its CD-TEXT and ISRC; indexes 2 and on
// become CD indexes; the disc's texts and catalogue number become the project's. The
// sheet may stand in a .cue file or in a FLAC file's CUESHEET comment, whose FILE
// lines then mean that FLAC file.
//
// Threads: the document's thread.
#include "base/prompt_text.h"
#include <string>

namespace quillon {

class CMultitrackerDoc;
class Prompter;

class CueImport {
public:
    // `doc` is emptied first; false with the reason in `error`, the document then empty.
    static bool import(CMultitrackerDoc& doc, const std::string& path, PromptText& error);
    // The same with the message in English (the command-line tool).
    static bool import(CMultitrackerDoc& doc, const std::string& path, std::string& error);
};

} // namespace quillon
