#pragma once
// "Remove Preset": the preset names of one effect; "Remove" deletes the selected one
// through the caller's function, which rewrites the preset file and answers whether
// that worked. Only a deletion that was stored leaves the list.
// User-interface thread only.

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace quillon {

class RemovePresetDialog : public QDialog {
    Q_OBJECT
public:
    using Remover = std::function<bool(const std::string& name)>;
    RemovePresetDialog(const std::vector<std::string>& names, Remover remover, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    QPushButton* removeButton() const { return m_remove; }

private:
    void removeSelected();

    Remover m_remover;
    QListWidget* m_list;
    QPushButton* m_remove;
};

} // namespace quillon
