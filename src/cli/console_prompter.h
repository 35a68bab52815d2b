#pragma once
// Messages of the model and engine on standard error; questions take their default
// answer, as nobody is there to ask.

#include "base/prompter.h"

#include <string>
#include <vector>

namespace quillon {

class ConsolePrompter : public Prompter {
public:
    using Prompter::askOkCancel;
    using Prompter::askYesNo;
    using Prompter::showMessage;
    void showMessage(const std::string& text, PromptIcon icon = PromptIcon::Information) override;
    bool askOkCancel(const std::string& text) override;
    bool askYesNo(const std::string& text) override;

    const std::vector<std::string>& shown() const { return m_shown; }

private:
    std::vector<std::string> m_shown;
};

} // namespace quillon
