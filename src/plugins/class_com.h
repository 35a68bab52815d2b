#pragma once
// Every nonzero result of a plug-in command, and every failure to create a plug-in,
// is raised as this error carrying the plug-in's code.

#include <cstdint>
#include <exception>

namespace quillon {

inline constexpr const char* kClassComMessage = "Unable to create instance of class com interface (ClassCom Error).";

class ClassCom : public std::exception {
public:
    explicit ClassCom(int32_t code) : m_code(code) {}
    int32_t code() const { return m_code; }
    const char* what() const noexcept override { return kClassComMessage; }

private:
    int32_t m_code;
};

} // namespace quillon
