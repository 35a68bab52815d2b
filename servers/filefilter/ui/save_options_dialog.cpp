#include "save_options_dialog.h"

#include "user_interface.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace quillon::filefilter {

namespace {

// The program's language pack is installed in the process that loads this module.
QString tx(const char* text) { return QCoreApplication::translate("SaveOptionsDialog", text); }

QSpinBox* percentBox(QWidget* parent, const char* name)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, 100);
    box->setSuffix(QStringLiteral(" %"));
    return box;
}

} // namespace

SaveOptionsDialog::SaveOptionsDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tx(kCaption));

    m_flacLevel = new QSpinBox(this);
    m_flacLevel->setObjectName(QStringLiteral("flacLevel"));
    m_flacLevel->setRange(0, 8);
    m_vorbisQuality = percentBox(this, "vorbisQuality");
    m_opusQuality = percentBox(this, "opusQuality");
    m_mp3BitRate = new QComboBox(this);
    m_mp3BitRate->setObjectName(QStringLiteral("mp3BitRate"));
    for (int32_t rate : kMp3BitRates)
        m_mp3BitRate->addItem(tx("%1 kbit/s").arg(rate), rate);
    m_wavSampleType = new QComboBox(this);
    m_wavSampleType->setObjectName(QStringLiteral("wavSampleType"));
    // In the order of WavSampleType.
    m_wavSampleType->addItems({tx("As project"), tx("16-bit"), tx("24-bit"),
                               tx("32-bit"), tx("32-bit float")});

    auto* form = new QFormLayout;
    form->addRow(tx("FLAC compression level:"), m_flacLevel);
    form->addRow(tx("Ogg Vorbis quality:"), m_vorbisQuality);
    form->addRow(tx("Opus quality:"), m_opusQuality);
    form->addRow(tx("MP3 bit rate:"), m_mp3BitRate);
    form->addRow(tx("WAV and AIFF sample type:"), m_wavSampleType);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    setOptions(SaveOptions{});
}

void SaveOptionsDialog::setOptions(const SaveOptions& options)
{
    const SaveOptions o = options.clamped();
    m_flacLevel->setValue(o.flacCompressionLevel);
    m_vorbisQuality->setValue(static_cast<int>(std::lround(o.vorbisQuality * 100.0f)));
    m_opusQuality->setValue(static_cast<int>(std::lround(o.opusQuality * 100.0f)));
    m_mp3BitRate->setCurrentIndex(m_mp3BitRate->findData(o.mp3BitRate));
    m_wavSampleType->setCurrentIndex(static_cast<int>(o.wavSampleType));
}

SaveOptions SaveOptionsDialog::options() const
{
    SaveOptions o;
    o.flacCompressionLevel = m_flacLevel->value();
    o.vorbisQuality = static_cast<float>(m_vorbisQuality->value()) / 100.0f;
    o.opusQuality = static_cast<float>(m_opusQuality->value()) / 100.0f;
    o.mp3BitRate = m_mp3BitRate->currentData().toInt();
    o.wavSampleType = static_cast<WavSampleType>(m_wavSampleType->currentIndex());
    return o.clamped();
}

bool SaveOptionsDialog::edit(SaveOptions& options)
{
    if (!canShowDialogs())
        return false;
    SaveOptionsDialog dialog(QApplication::activeWindow());
    dialog.setOptions(options);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options = dialog.options();
    return true;
}

} // namespace quillon::filefilter
