#pragma once

#include "base/prompt_text.h"
#include <stdexcept>
#include <string>

namespace quillon {

// Raised by the object archive when a stream cannot be read back.
class ArchiveException : public std::runtime_error {
public:
    enum class Kind { Generic, BadSchema, BadClass, BadIndex, EndOfFile };

    ArchiveException(Kind kind, const std::string& detail = {});
    // A detail for the user put together from a template: the detail is its English.
    ArchiveException(Kind kind, const PromptText& message);

    Kind kind() const { return m_kind; }
    // What the user should read: names a missing source or effect where known.
    const std::string& detail() const { return m_detail; }
    // The same as a text a language pack can translate.
    const PromptText& message() const { return m_message; }

    static const char* kindName(Kind kind);

private:
    Kind m_kind;
    std::string m_detail;
    PromptText m_message;
};

} // namespace quillon
