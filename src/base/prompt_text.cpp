#include "base/prompt_text.h"

#include <cstdio>

namespace quillon {

PromptText& PromptText::arg(std::string value)
{
    m_arguments.push_back({std::move(value), nullptr});
    return *this;
}

PromptText& PromptText::arg(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return arg(std::string(text));
}

PromptText& PromptText::arg(const PromptText& value)
{
    m_arguments.push_back({{}, std::make_shared<const PromptText>(value)});
    return *this;
}

std::string PromptText::english() const
{
    std::vector<std::string> values;
    values.reserve(m_arguments.size());
    for (const Argument& a : m_arguments)
        values.push_back(a.nested ? a.nested->english() : a.text);
    return fill(m_pattern, values);
}

std::string PromptText::fill(const std::string& pattern, const std::vector<std::string>& values)
{
    std::string out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const size_t n = size_t(pattern[i + 1] - '1');
            if (n < values.size()) {
                out += values[n];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

} // namespace quillon
