#pragma once
// Why "Edit Audio File in Wave Editor..." could not start the editor. The file filter
// that launches it reports only that it failed, so the same checks are made again
// here to tell the user which command was tried, what the system said about it, and
// which setting chooses the editor. User-interface thread only.

#include <QString>

#include <string>

namespace quillon {

class SettingsStore;

class WaveEditorDiagnosis {
public:
    // Where the editor's command line is kept, and what it is when nothing is stored;
    // the same as the file filter reads.
    static constexpr const char* kSection = "General";
    static constexpr const char* kSettingName = "WaveEditorCommand";
    static constexpr const char* kDefaultCommand = "xdg-open %f";

    WaveEditorDiagnosis(const SettingsStore& settings, std::string sourceFile);

    const QString& command() const { return m_command; }
    // The system's reason (its error text), or a plain sentence when every check
    // passes and the start failed all the same.
    const QString& reason() const { return m_reason; }
    // The lines that follow the ClassCom message: the command, the reason, the setting.
    QString details() const;

private:
    QString m_command;
    QString m_file;
    QString m_reason;
};

} // namespace quillon
