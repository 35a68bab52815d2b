#pragma once
// quillon-cli: building, inspecting and rendering projects without a window, with the
// same model and plug-ins as the desktop program. Every command returns the process
// exit status: 0 on success, 1 on bad input (with a message on standard error and no
// file written), 2 for a wrong command line.

#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace quillon {

class CMultitrackerDoc;
class ConsolePrompter;
class EffectCatalog;
class PluginHost;
class SettingsStore;

class CliApp {
public:
    // `settings` is the store the commands read defaults from (the user's, or a test's).
    CliApp(SettingsStore& settings, std::ostream& out, std::ostream& err);
    ~CliApp();
    CliApp(const CliApp&) = delete;
    CliApp& operator=(const CliApp&) = delete;

    int run(const std::vector<std::string>& args);

    static std::string helpText();

private:
    // One subcommand: the help text and the dispatch both come from the table.
    struct Command {
        const char* name;
        const char* synopsis;    // the arguments, as the help shows them
        const char* description; // one line
        int (CliApp::*run)(const std::vector<std::string>& words);
    };
    static std::span<const Command> commands();

    int cmdNew(const std::vector<std::string>& words);
    int cmdAdd(const std::vector<std::string>& words);
    int cmdInfo(const std::vector<std::string>& words);
    int cmdCdTracks(const std::vector<std::string>& words);
    int cmdRender(const std::vector<std::string>& words);
    int cmdExportTracks(const std::vector<std::string>& words);
    int cmdDevices(const std::vector<std::string>& words);
    int cmdPlay(const std::vector<std::string>& words);
    int cmdEffects(const std::vector<std::string>& words);
    int cmdEffect(const std::vector<std::string>& words);
    int cmdPreset(const std::vector<std::string>& words);
    int cmdDrives(const std::vector<std::string>& words);
    int cmdBurn(const std::vector<std::string>& words);
    int cmdCover(const std::vector<std::string>& words);
    int cmdLoudness(const std::vector<std::string>& words);
    int cmdRelink(const std::vector<std::string>& words);
    int cmdImportCue(const std::vector<std::string>& words);
    int cmdExportCue(const std::vector<std::string>& words);

    void loadPlugins();
    std::unique_ptr<CMultitrackerDoc> newDocument();
    // Loads the project; false (after the message) when it cannot be read.
    bool load(CMultitrackerDoc& doc, const std::string& path);
    // Saves without ever losing the previous file; false after the message.
    bool save(CMultitrackerDoc& doc, const std::string& path);
    int fail(const std::string& message);
    int usage(const std::string& message);

    SettingsStore& m_settings;
    std::ostream& m_out;
    std::ostream& m_err;
    std::unique_ptr<ConsolePrompter> m_prompter;
    std::unique_ptr<PluginHost> m_host;
    std::unique_ptr<EffectCatalog> m_catalog;
};

} // namespace quillon
