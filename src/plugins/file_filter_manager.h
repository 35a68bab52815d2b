#pragma once
// A typed client over the file-filter manager: settings that concern every file-filter
// instance of its server, such as how written files are encoded.
//
// Threads: the user-interface thread (its command shows a dialog).

#include "plugins/plugin_instance.h"

namespace quillon {

class PluginHost;

class FileFilterManager {
public:
    FileFilterManager() = default;
    explicit FileFilterManager(PluginInstance instance) : m_instance(std::move(instance)) {}

    // The manager at global index 0; throws ClassCom(3) when no server offers one.
    static FileFilterManager create(PluginHost& host);

    bool isValid() const { return m_instance.isValid(); }

    // "Configure Save Options...": the filter's dialog; true when the user stored new
    // options, false on cancel or without a user interface.
    bool configureSaveOptions();

private:
    PluginInstance m_instance;
};

} // namespace quillon
