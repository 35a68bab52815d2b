#include "base/recording_prompter.h"

namespace quillon {

void RecordingPrompter::showMessage(const std::string& text, PromptIcon icon)
{
    m_entries.push_back({Kind::Message, text, icon});
}

bool RecordingPrompter::askOkCancel(const std::string& text)
{
    m_entries.push_back({Kind::OkCancel, text, PromptIcon::Question});
    return nextAnswer();
}

bool RecordingPrompter::askYesNo(const std::string& text)
{
    m_entries.push_back({Kind::YesNo, text, PromptIcon::Question});
    return nextAnswer();
}

bool RecordingPrompter::nextAnswer()
{
    if (m_answers.empty())
        return m_defaultAnswer;
    bool a = m_answers.front();
    m_answers.pop_front();
    return a;
}

std::vector<std::string> RecordingPrompter::messages() const
{
    std::vector<std::string> out;
    for (const auto& e : m_entries)
        out.push_back(e.text);
    return out;
}

} // namespace quillon
