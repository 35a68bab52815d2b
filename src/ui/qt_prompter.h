#pragma once
// The desktop application's answer to the model's questions: message boxes over the
// main window. User-interface thread only.

#include "base/prompter.h"

#include <QString>

class QWidget;

namespace quillon {

class QtPrompter : public Prompter {
public:
    using Prompter::askOkCancel;
    using Prompter::askYesNo;
    using Prompter::showMessage;
    explicit QtPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void showMessage(const std::string& text, PromptIcon icon = PromptIcon::Information) override;
    bool askOkCancel(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    // The template translated in "Messages", then filled in.
    void showMessage(const PromptText& text, PromptIcon icon = PromptIcon::Information) override;
    bool askOkCancel(const PromptText& text) override;
    bool askYesNo(const PromptText& text) override;

    static QString translated(const PromptText& text);

private:
    void show(const QString& text, PromptIcon icon);
    bool ask(const QString& text, bool yesNo);

    QWidget* m_parent;
};

} // namespace quillon
