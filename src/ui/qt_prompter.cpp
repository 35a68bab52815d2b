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

QString QtPrompter::translated(const PromptText& text)
{
    std::vector<std::string> values;
    values.reserve(text.arguments().size());
    for (const PromptText::Argument& a : text.arguments())
        values.push_back(a.nested ? translated(*a.nested).toStdString() : a.text);
    const std::string pattern = quillon::translated(text.pattern()).toStdString();
    return QString::fromStdString(PromptText::fill(pattern, values));
}

void QtPrompter::show(const QString& text, PromptIcon icon)
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
    QMessageBox box(boxIcon, caption(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompter::ask(const QString& text, bool yesNo)
{
    const QMessageBox::StandardButton yes = yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    const QMessageBox::StandardButton no = yesNo ? QMessageBox::No : QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, caption(), text, yes | no, m_parent);
    box.setDefaultButton(yes);
    return box.exec() == yes;
}

void QtPrompter::showMessage(const std::string& text, PromptIcon icon) { show(quillon::translated(text), icon); }

bool QtPrompter::askOkCancel(const std::string& text) { return ask(quillon::translated(text), false); }

bool QtPrompter::askYesNo(const std::string& text) { return ask(quillon::translated(text), true); }

void QtPrompter::showMessage(const PromptText& text, PromptIcon icon) { show(translated(text), icon); }

bool QtPrompter::askOkCancel(const PromptText& text) { return ask(translated(text), false); }

bool QtPrompter::askYesNo(const PromptText& text) { return ask(translated(text), true); }

} // namespace quillon
