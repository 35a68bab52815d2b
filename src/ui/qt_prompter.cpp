#include "ui/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace quillon {

namespace {

QString caption() { return QApplication::applicationDisplayName(); }

// The model's texts are English; a loaded language pack translates them when it
// knows them.
QString translated(const std::string& text)
{
    return QCoreApplication::translate("Messages", text.c_str());
}

} // namespace

void QtPrompter::showMessage(const std::string& text, PromptIcon icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    switch (icon) {
    case PromptIcon::Information:
        boxIcon = QMessageBox::Information;
        break;
    case PromptIcon::Warning:
        boxIcon = QMessageBox::Warning;
        break;
    case PromptIcon::Error:
        boxIcon = QMessageBox::Critical;
        break;
    case PromptIcon::Question:
        boxIcon = QMessageBox::Question;
        break;
    }
    QMessageBox box(boxIcon, caption(), translated(text), QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompter::askOkCancel(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, caption(), translated(text), QMessageBox::Ok | QMessageBox::Cancel, m_parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

bool QtPrompter::askYesNo(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, caption(), translated(text), QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace quillon
