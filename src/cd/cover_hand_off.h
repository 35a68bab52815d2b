#pragma once
// Hands the CD track list to the cover designer: a small text file, "varda.cdc" in the
// Temporary folder, with the disc's and each CD track's title, artist and play time,
// and the designer started with that file's path as its one argument.
//
// Threads: the owner's thread.
#include <cstdint>
#include <string>

namespace quillon {

class CLabelList;
class SettingsStore;

class CoverHandOff {
public:
    static constexpr const char* kFileName = "varda.cdc";
    // Where the designer's path is set; empty or missing starts our own designer.
    static constexpr const char* kDesignerKey = "Software\\Ostrel\\Shared\\App Paths";
    static constexpr const char* kDesignerValue = "VCoverEd.exe";
    static constexpr const char* kOwnDesigner = "quillon-cover";

    // The file's text with "\n" line ends (written as CR LF).
    static std::string content(const std::string& title, const std::string& artist, CLabelList& labels,
                               int32_t projectEnd, uint32_t rate);
    // Writes the text with CR LF line ends, replacing the file; false when it cannot.
    static bool write(const std::string& path, const std::string& text);
    // The Temporary folder joined with the file name.
    static std::string handOffPath(const SettingsStore& settings);
    // The designer to start: the setting's, else ours beside this program, else ours
    // from the PATH.
    static std::string designerPath(const SettingsStore& settings);
    // Our own designer: beside this program, else the one built or installed with it,
    // else by name from the PATH.
    static std::string ownDesignerPath();
    // Runs our own designer to lay the hand-off file out as a PDF and waits for it;
    // false with the reason in `error`.
    static bool writePdf(const std::string& handOff, const std::string& pdf, std::string& error);
    // Starts the designer with the path as its only argument, without waiting; a failure
    // to start is not reported.
    static void start(const std::string& designer, const std::string& path);
    // "%d:%02d" of a sample count at a rate.
    static std::string playTime(int64_t samples, uint32_t rate);
};

} // namespace quillon
