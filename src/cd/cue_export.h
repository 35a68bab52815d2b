#pragma once
// A compilation as one FLAC file for a digital release of the same disc: the mix of the
// whole project, and a CUE sheet with the CD tracks, their pauses (index 0), indexes,
// CD-TEXT, ISRCs and the catalogue number, either beside the FLAC file (same name,
// ".cue") or inside it as its CUESHEET comment.
//
// Threads: the document's thread; the render runs through the given job runner.
#include "base/prompt_text.h"
#include <string>

namespace quillon {

class CMultitrackerDoc;
class CueSheet;
class JobRunner;
class PluginHost;
class Prompter;

class CueExport {
public:
    // The sheet of the project's CD tracks over one file named `fileName`. Positions
    // are whole CD frames (1/75 s) of the project's timeline, rounded down.
    static CueSheet sheetOf(CMultitrackerDoc& doc, const std::string& fileName);
    // Renders the project to `flacPath` and writes the sheet; false with the reason.
    static bool exportFlac(CMultitrackerDoc& doc, PluginHost& host, JobRunner& runner, Prompter& prompter,
                           const std::string& flacPath, bool embed, PromptText& error);
    // The same with the message in English (the command-line tool).
    static bool exportFlac(CMultitrackerDoc& doc, PluginHost& host, JobRunner& runner, Prompter& prompter,
                           const std::string& flacPath, bool embed, std::string& error);
    // Where the separate sheet goes.
    static std::string cuePath(const std::string& flacPath);
};

} // namespace quillon
