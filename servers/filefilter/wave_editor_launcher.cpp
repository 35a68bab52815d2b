#include "wave_editor_launcher.h"

#include "base/settings_store.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon::filefilter {

namespace {

bool isExecutable(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program's path as execv needs it: searched on the PATH unless it names a folder.
std::optional<std::string> resolveProgram(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return isExecutable(program) ? std::optional<std::string>(program) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        std::string candidate;
        candidate.reserve(dir.size() + program.size() + 2);
        candidate.append(dir.empty() ? std::string_view(".") : dir);
        candidate.push_back('/');
        candidate.append(program);
        if (isExecutable(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            return std::nullopt;
        dirs.remove_prefix(colon + 1);
    }
}

} // namespace

WaveEditorLauncher::WaveEditorLauncher(std::string commandLine) : m_commandLine(std::move(commandLine)) {}

WaveEditorLauncher WaveEditorLauncher::fromSettings(const SettingsStore& settings)
{
    return WaveEditorLauncher(settings.profileString("General", kSettingName, kDefaultCommand));
}

std::optional<std::vector<std::string>> WaveEditorLauncher::arguments(std::string_view commandLine,
                                                                      const std::string& file)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool sawFile = false;
    char quote = 0;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        // The placeholders count inside quotes too: no shell ever sees the file name.
        if (c == '%' && i + 1 < commandLine.size() && (commandLine[i + 1] == 'f' || commandLine[i + 1] == '%')) {
            if (commandLine[++i] == 'f') {
                word += file;
                sawFile = true;
            } else {
                word += '%';
            }
            inWord = true;
            continue;
        }
        if (quote == '\'') {
            if (c == '\'')
                quote = 0;
            else
                word += c;
            continue;
        }
        if (c == '\\' && i + 1 < commandLine.size()) {
            word += commandLine[++i];
            inWord = true;
            continue;
        }
        if (quote == '"') {
            if (c == '"')
                quote = 0;
            else
                word += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        word += c;
        inWord = true;
    }
    if (quote != 0)
        return std::nullopt;
    if (inWord)
        words.push_back(std::move(word));
    if (words.empty() || words.front().empty())
        return std::nullopt;
    if (!sawFile)
        words.push_back(file);
    return words;
}

WaveEditorLauncher::Result WaveEditorLauncher::launch(const std::string& file)
{
    m_errno = 0;
    struct stat st {};
    if (file.empty() || stat(file.c_str(), &st) != 0) {
        m_errno = ENOENT;
        return Result::NoFile;
    }
    const auto words = arguments(m_commandLine, file);
    if (!words) {
        m_errno = EINVAL;
        return Result::BadCommand;
    }
    const auto program = resolveProgram(words->front());
    if (!program) {
        m_errno = ENOENT;
        return Result::NotFound;
    }

    // Everything the child needs is prepared here: between fork and exec only
    // async-signal-safe calls are allowed.
    std::vector<char*> argv;
    for (const std::string& w : *words)
        argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    const char* executable = program->c_str();

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        m_errno = errno;
        return Result::StartFailed;
    }
    const pid_t child = fork();
    if (child < 0) {
        m_errno = errno;
        close(report[0]);
        close(report[1]);
        return Result::StartFailed;
    }
    if (child == 0) {
        // The intermediate child starts a new session and forks the editor, which init
        // then adopts: no zombie is left for us, no terminal signal reaches it.
        setsid();
        const pid_t editor = fork();
        if (editor != 0) {
            if (editor < 0) {
                const int error = errno;
                (void)!write(report[1], &error, sizeof error);
            }
            _exit(0);
        }
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            if (devNull != STDIN_FILENO)
                close(devNull);
        }
        execv(executable, argv.data());
        const int error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes on a successful exec; otherwise it carries the errno.
    int error = 0;
    ssize_t got = 0;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        m_errno = error;
        return Result::StartFailed;
    }
    return Result::Started;
}

} // namespace quillon::filefilter
