#pragma once
// How model, engine and plug-in code show a message or ask a question without
// knowing who answers: the desktop application, the command-line tool or a test.
// Calls come from the user-interface thread (or the CLI's main thread).
//
// A message put together from a template and values is handed over as a PromptText;
// by default it is shown in English, as a whole text would be. A prompter that can
// translate overrides those overloads as well.

#include "base/prompt_text.h"

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

    virtual void showMessage(const PromptText& text, PromptIcon icon = PromptIcon::Information)
    {
        showMessage(text.english(), icon);
    }
    virtual bool askOkCancel(const PromptText& text) { return askOkCancel(text.english()); }
    virtual bool askYesNo(const PromptText& text) { return askYesNo(text.english()); }
    // Literal texts are whole texts; without these the two overloads would be ambiguous.
    void showMessage(const char* text, PromptIcon icon = PromptIcon::Information)
    {
        showMessage(std::string(text), icon);
    }
    bool askOkCancel(const char* text) { return askOkCancel(std::string(text)); }
    bool askYesNo(const char* text) { return askYesNo(std::string(text)); }
};

} // namespace quillon
