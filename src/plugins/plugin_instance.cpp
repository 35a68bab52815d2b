#include "plugins/plugin_instance.h"

#include <cstring>
#include <utility>

namespace quillon {

PluginInstance::PluginInstance(PluginInstance&& other) noexcept : m_record(other.detach()) {}

PluginInstance& PluginInstance::operator=(PluginInstance&& other) noexcept
{
    if (this != &other) {
        release();
        m_record = other.detach();
    }
    return *this;
}

int32_t PluginInstance::command(uint32_t code, void* param, uint32_t size) const
{
    if (!m_record.command)
        return QUILLON_E_NO_CLASS;
    return m_record.command(const_cast<QuillonInterface*>(&m_record), code, param, size);
}

void PluginInstance::call(uint32_t code, void* param, uint32_t size) const
{
    if (int32_t r = command(code, param, size); r != 0)
        throw ClassCom(r);
}

void PluginInstance::release()
{
    QuillonInterface r = detach();
    if (r.release)
        r.release(&r);
}

QuillonInterface PluginInstance::detach()
{
    return std::exchange(m_record, QuillonInterface{});
}

bool operator==(const QuillonIdentifier& a, const QuillonIdentifier& b)
{
    return std::memcmp(a.words, b.words, sizeof(a.words)) == 0;
}

} // namespace quillon
