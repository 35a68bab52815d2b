#pragma once
// Hands a source file to the wave editor: an external program started detached, in a
// session of its own, so that it never blocks the caller and lives on after it.
//
// The command line is a setting. Words are split as a shell would (blanks separate,
// single and double quotes group, a backslash escapes the next character), but no shell
// runs it: "%f" anywhere stands for the file's full path, "%%" for a percent sign, and
// without any "%f" the path is added as the last word. A file name is therefore always
// exactly one argument, whatever characters it holds.
//
// Threads: launch() may be called from any thread; it forks, so the child only runs
// calls that are safe between fork and exec.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {
class SettingsStore;
}

namespace quillon::filefilter {

class WaveEditorLauncher {
public:
    // The desktop's handler for the file.
    static constexpr const char* kDefaultCommand = "xdg-open %f";
    // Where the command line is kept (per user, section "General").
    static constexpr const char* kSettingName = "WaveEditorCommand";

    enum class Result {
        Started,
        NoFile,         // the file does not exist
        BadCommand,     // empty command line or an unclosed quote
        NotFound,       // the program is not on the PATH or not executable
        StartFailed,    // fork or exec failed
    };

    explicit WaveEditorLauncher(std::string commandLine = kDefaultCommand);
    static WaveEditorLauncher fromSettings(const SettingsStore& settings);

    Result launch(const std::string& file);
    // errno of the last failure, 0 after a start.
    int lastErrno() const { return m_errno; }

    // The argument vector for a file, or nothing when the command line is unusable.
    static std::optional<std::vector<std::string>> arguments(std::string_view commandLine, const std::string& file);

private:
    std::string m_commandLine;
    int m_errno = 0;
};

} // namespace quillon::filefilter
