#pragma once
// "New Preset": asks for the name of a preset. A name must fit the preset file's name
// field with its terminating NUL, so it is limited to 254 bytes (as UTF-8); typing or
// pasting beyond that is refused. OK is enabled while the name is not empty.
// User-interface thread only.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace quillon {

class NewPresetDialog : public QDialog {
    Q_OBJECT
public:
    explicit NewPresetDialog(QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return m_name; }
    QPushButton* okButton() const { return m_ok; }
    std::string name() const;

private:
    QLineEdit* m_name;
    QPushButton* m_ok;
};

} // namespace quillon
