#pragma once
// The command line of one quillon-cli command: positional words and "--name value"
// options (flags take no value; some options may repeat).

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillon {

class CliOptions {
public:
    // `valued` options take the next word; `flags` take none. Anything else starting with
    // "--" is an error, reported through error().
    bool parse(const std::vector<std::string>& words, const std::set<std::string>& valued,
               const std::set<std::string>& flags);

    const std::vector<std::string>& positional() const { return m_positional; }
    bool has(const std::string& name) const { return m_values.count(name) > 0; }
    std::optional<std::string> value(const std::string& name) const;
    std::vector<std::string> values(const std::string& name) const;
    const std::string& error() const { return m_error; }

    // Whole numbers and decimals; false (with error()) when the text is not one.
    bool intValue(const std::string& name, long long& out, long long min, long long max);
    bool doubleValue(const std::string& name, double& out, double min, double max);

private:
    std::vector<std::string> m_positional;
    std::multimap<std::string, std::string> m_values;
    std::string m_error;
};

} // namespace quillon
