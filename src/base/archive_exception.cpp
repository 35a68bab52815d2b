#include "base/archive_exception.h"

namespace quillon {

ArchiveException::ArchiveException(Kind kind, const std::string& detail)
    : std::runtime_error(detail.empty() ? kindName(kind) : detail), m_kind(kind), m_detail(detail), m_message(detail)
{
}

ArchiveException::ArchiveException(Kind kind, const PromptText& message)
    : ArchiveException(kind, message.english())
{
    m_message = message;
}

const char* ArchiveException::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Generic: return "archive error";
    case Kind::BadSchema: return "archive error: unexpected schema";
    case Kind::BadClass: return "archive error: unexpected class";
    case Kind::BadIndex: return "archive error: bad object index";
    case Kind::EndOfFile: return "archive error: unexpected end of file";
    }
    return "archive error";
}

} // namespace quillon
