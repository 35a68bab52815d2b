#pragma once
// Autosave and crash recovery. While a project is edited, its state is written now and
// then to a recovery file beside the project file ("NAME.vpf.recovery"; an untitled
// project's goes to the Temporary folder), atomically as a save is. The file stands in
// the settings ("General", "RecoveryFile", with the project it belongs to and the
// process that wrote it) until the project is saved or closed cleanly, which removes
// both. A recovery file still there at the next start means the program ended without
// closing: the user is asked whether to recover it.
//
// Threads: the user-interface thread, which owns the document.
#include <cstdint>
#include <string>

namespace quillon {

class CMultitrackerDoc;
class Prompter;
class SettingsStore;

class ProjectRecovery {
public:
    static constexpr const char* kSection = "General";
    // Minutes between autosaves; 0 turns autosave off.
    static constexpr const char* kIntervalName = "AutosaveMinutes";
    static constexpr int32_t kDefaultIntervalMinutes = 5;
    static constexpr const char* kFileName = "RecoveryFile";
    static constexpr const char* kProjectName = "RecoveryProject";
    static constexpr const char* kProcessName = "RecoveryProcess";
    static constexpr const char* kSuffix = ".recovery";
    static constexpr const char* kUntitledFile = "Untitled.vpf.recovery";
    // %s: the project's name.
    static constexpr const char* kOfferText =
        "The project \"%1\" was not closed properly. Changes to it were saved for recovery. Recover them?";

    static constexpr const char* kUntitledText = "Untitled";

    enum class Offer { None, Recovered, Declined, Failed };

    ProjectRecovery(SettingsStore& settings, Prompter& prompter);

    // The recovery file of a project file; of an untitled project (empty path), the one
    // in the Temporary folder.
    std::string recoveryPath(const std::string& projectPath) const;
    // The autosave interval in milliseconds (0: off).
    int32_t intervalMilliseconds() const;

    // Writes the document's state for `projectPath`; the document stays modified. False
    // with `error` when it could not be written.
    bool autosave(CMultitrackerDoc& doc, const std::string& projectPath, std::string& error);
    // The project was saved or closed cleanly: its recovery file goes.
    void discard();

    // At start-up, or when `projectPath` is opened: a recovery file left by a process
    // that is gone, for this project (or, with `anyProject`, for whatever project it was),
    // is offered. Recovered: the document holds the recovered state, modified, and
    // `recoveredPath` the project file it belongs to (empty for an untitled one).
    // Declined: the file is removed.
    Offer offer(CMultitrackerDoc& doc, const std::string& projectPath, bool anyProject, std::string& recoveredPath);

private:
    SettingsStore& m_settings;
    Prompter& m_prompter;
    std::string m_written; // the file this process last wrote
};

} // namespace quillon
