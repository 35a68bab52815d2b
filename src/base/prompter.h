#pragma once
// How model, engine and plug-in code show a message or ask a question without
// knowing who answers: the desktop application, the command-line tool or a test.
// Calls come from the user-interface thread (or the CLI's main thread).

#include <string>

namespace quillon {

enum class PromptIcon { Information, Warning, Error, Question };

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void showMessage(const std::string& text, PromptIcon icon = PromptIcon::Information) = 0;
    // True for OK.
    virtual bool askOkCancel(const std::string& text) = 0;
    // True for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
};

} // namespace quillon
