#pragma once
// A message the Qt-free layers put together for the Prompter: an English template with
// the placeholders %1 to %9 and the values that fill them in. Kept apart until it is
// shown, so that a language pack can translate the template (in the context "Messages")
// and still fill in the same names, numbers and paths. A value may itself be such a
// text (a rule or a reason with placeholders of its own).
//
// Templates are written as a PromptText of a literal or of a named text
// constant (kSomeText): that is how the language pack's catalogue finds them.

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace quillon {

class PromptText {
public:
    struct Argument {
        std::string text;                  // a value shown as it stands
        std::shared_ptr<const PromptText> nested; // or a text of its own
    };

    PromptText() = default;
    explicit PromptText(std::string pattern) : m_pattern(std::move(pattern)) {}

    // The next placeholder's value, in order: the first call fills %1.
    PromptText& arg(std::string value);
    PromptText& arg(const char* value) { return arg(std::string(value ? value : "")); }
    template <class T>
        requires std::is_integral_v<T>
    PromptText& arg(T value)
    {
        return arg(std::to_string(value));
    }
    // A number with a fixed count of decimals, "-14.0".
    PromptText& arg(double value, int decimals);
    PromptText& arg(const PromptText& value);

    const std::string& pattern() const { return m_pattern; }
    const std::vector<Argument>& arguments() const { return m_arguments; }
    bool empty() const { return m_pattern.empty(); }

    // The text as shown without a language pack.
    std::string english() const;

    // `pattern` with %1..%9 replaced by `values` in one pass, so that a value holding a
    // "%2" of its own is left as it is; placeholders without a value stay.
    static std::string fill(const std::string& pattern, const std::vector<std::string>& values);

private:
    std::string m_pattern;
    std::vector<Argument> m_arguments;
};

} // namespace quillon
