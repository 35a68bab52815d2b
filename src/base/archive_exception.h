#pragma once

#include <stdexcept>
#include <string>

namespace quillon {

// Raised by the object archive when a stream cannot be read back.
class ArchiveException : public std::runtime_error {
public:
    enum class Kind { Generic, BadSchema, BadClass, BadIndex, EndOfFile };

    ArchiveException(Kind kind, const std::string& detail = {});

    Kind kind() const { return m_kind; }
    // What the user should read: names a missing source or effect where known.
    const std::string& detail() const { return m_detail; }

    static const char* kindName(Kind kind);

private:
    Kind m_kind;
    std::string m_detail;
};

} // namespace quillon
