#include "cli/cli_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace quillon {

bool CliOptions::parse(const std::vector<std::string>& words, const std::set<std::string>& valued,
                       const std::set<std::string>& flags)
{
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() > 2 && w.rfind("--", 0) == 0) {
            std::string name = w.substr(2), inlineValue;
            bool hasInline = false;
            if (auto eq = name.find('='); eq != std::string::npos) {
                inlineValue = name.substr(eq + 1);
                name = name.substr(0, eq);
                hasInline = true;
            }
            if (flags.count(name) && !hasInline) {
                m_values.emplace(name, "");
            } else if (valued.count(name)) {
                if (hasInline) {
                    m_values.emplace(name, inlineValue);
                } else if (i + 1 < words.size()) {
                    m_values.emplace(name, words[++i]);
                } else {
                    m_error = "option --" + name + " needs a value";
                    return false;
                }
            } else {
                m_error = "unknown option '" + w + "'";
                return false;
            }
        } else {
            m_positional.push_back(w);
        }
    }
    return true;
}

std::optional<std::string> CliOptions::value(const std::string& name) const
{
    auto it = m_values.find(name);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

std::vector<std::string> CliOptions::values(const std::string& name) const
{
    std::vector<std::string> out;
    auto [b, e] = m_values.equal_range(name);
    for (auto it = b; it != e; ++it)
        out.push_back(it->second);
    return out;
}

bool CliOptions::intValue(const std::string& name, long long& out, long long min, long long max)
{
    auto v = value(name);
    if (!v)
        return true;
    errno = 0;
    char* end = nullptr;
    long long n = std::strtoll(v->c_str(), &end, 10);
    if (v->empty() || *end || errno || n < min || n > max) {
        m_error = "--" + name + " expects a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
                  ", not '" + *v + "'";
        return false;
    }
    out = n;
    return true;
}

bool CliOptions::doubleValue(const std::string& name, double& out, double min, double max)
{
    auto v = value(name);
    if (!v)
        return true;
    char* end = nullptr;
    double d = std::strtod(v->c_str(), &end);
    if (v->empty() || *end || !std::isfinite(d) || d < min || d > max) {
        m_error = "--" + name + " expects a number from " + std::to_string(min) + " to " + std::to_string(max) +
                  ", not '" + *v + "'";
        return false;
    }
    out = d;
    return true;
}

} // namespace quillon
