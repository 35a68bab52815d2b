#pragma once
// A Prompter for tests: records every message and question and answers questions
// from a queue (then with a default answer).

#include "base/prompter.h"

#include <deque>
#include <vector>

namespace quillon {

class RecordingPrompter : public Prompter {
public:
    using Prompter::askOkCancel;
    using Prompter::askYesNo;
    using Prompter::showMessage;
    enum class Kind { Message, OkCancel, YesNo };
    struct Entry {
        Kind kind;
        std::string text;
        PromptIcon icon;
    };

    void showMessage(const std::string& text, PromptIcon icon = PromptIcon::Information) override;
    bool askOkCancel(const std::string& text) override;
    bool askYesNo(const std::string& text) override;

    void queueAnswer(bool answer) { m_answers.push_back(answer); }
    void setDefaultAnswer(bool answer) { m_defaultAnswer = answer; }

    const std::vector<Entry>& entries() const { return m_entries; }
    std::vector<std::string> messages() const;
    void clear() { m_entries.clear(); }

private:
    bool nextAnswer();

    std::vector<Entry> m_entries;
    std::deque<bool> m_answers;
    bool m_defaultAnswer = true;
};

} // namespace quillon
