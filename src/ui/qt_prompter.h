#pragma once
// The desktop application's answer to the model's questions: message boxes over the
// main window. User-interface thread only.

#include "base/prompter.h"

class QWidget;

namespace quillon {

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void showMessage(const std::string& text, PromptIcon icon = PromptIcon::Information) override;
    bool askOkCancel(const std::string& text) override;
    bool askYesNo(const std::string& text) override;

private:
    QWidget* m_parent;
};

} // namespace quillon
