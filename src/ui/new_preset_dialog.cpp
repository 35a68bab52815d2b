#include "ui/new_preset_dialog.h"

#include "model/effect_preset_file.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

namespace quillon {

namespace {

// Counts bytes, not characters: the file's field holds bytes, and a name cut there
// would lose the end of its last character.
class NameLengthValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return size_t(input.toUtf8().size()) <= EffectPresetFile::kMaxName ? Acceptable : Invalid;
    }
};

} // namespace

NewPresetDialog::NewPresetDialog(QWidget* parent) : QDialog(parent), m_name(new QLineEdit), m_ok(nullptr)
{
    setWindowTitle(tr("New Preset"));
    m_name->setMaxLength(int(EffectPresetFile::kMaxName));
    m_name->setValidator(new NameLengthValidator(m_name));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(false);
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString& t) { m_ok->setEnabled(!t.isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Name of the new preset:")));
    layout->addWidget(m_name);
    layout->addWidget(buttons);
}

std::string NewPresetDialog::name() const { return m_name->text().toStdString(); }

} // namespace quillon
