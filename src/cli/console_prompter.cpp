#include "cli/console_prompter.h"

#include "base/display_text.h"

#include <cstdio>

namespace quillon {

void ConsolePrompter::showMessage(const std::string& text, PromptIcon icon)
{
    const char* prefix = icon == PromptIcon::Error ? "error: " : icon == PromptIcon::Warning ? "warning: " : "";
    std::fprintf(stderr, "quillon-cli: %s%s\n", prefix, displayText(text).c_str());
    m_shown.push_back(text);
}

bool ConsolePrompter::askOkCancel(const std::string& text)
{
    std::fprintf(stderr, "quillon-cli: %s (OK)\n", displayText(text).c_str());
    return true;
}

bool ConsolePrompter::askYesNo(const std::string& text)
{
    std::fprintf(stderr, "quillon-cli: %s (No)\n", displayText(text).c_str());
    return false;
}

} // namespace quillon
