#pragma once
// Owns one interface record created by a server and releases it exactly once.
// Which thread may send which command is the concern of the record's user.

#include "plugins/class_com.h"

#include <quillon/plugin_abi.h>

namespace quillon {

class PluginInstance {
public:
    PluginInstance() = default;
    explicit PluginInstance(const QuillonInterface& record) : m_record(record) {}
    ~PluginInstance() { release(); }
    PluginInstance(PluginInstance&& other) noexcept;
    PluginInstance& operator=(PluginInstance&& other) noexcept;
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    bool isValid() const { return m_record.command != nullptr; }
    const QuillonInterface& record() const { return m_record; }
    QuillonInterface& record() { return m_record; }

    // The raw result of a command.
    int32_t command(uint32_t code, void* param, uint32_t size) const;
    // Throws ClassCom with the result when it is not 0 (code 3 without an instance).
    void call(uint32_t code, void* param, uint32_t size) const;

    template <class P>
    void call(uint32_t code, P& param) const
    {
        call(code, &param, sizeof(P));
    }

    void release();
    // Gives up ownership without releasing.
    QuillonInterface detach();

private:
    QuillonInterface m_record{};
};

bool operator==(const QuillonIdentifier& a, const QuillonIdentifier& b);

} // namespace quillon
