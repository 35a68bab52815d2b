#pragma once
// The dialog of the file-filter manager's "Configure Save Options...": how files are
// encoded (FLAC compression level, Ogg Vorbis and Opus quality, MP3 bit rate, WAV and
// AIFF sample type). Its controls carry object names, so that a program driving it (a
// test, an accessibility tool) finds them.
//
// Threads: the user-interface thread only.

#include "save_options.h"

#include <QDialog>

class QComboBox;
class QSpinBox;

namespace quillon::filefilter {

class SaveOptionsDialog : public QDialog {
public:
    static constexpr const char* kCaption = QT_TRANSLATE_NOOP("SaveOptionsDialog", "Save Options");

    explicit SaveOptionsDialog(QWidget* parent = nullptr);

    void setOptions(const SaveOptions& options);
    SaveOptions options() const;

    // Shows the dialog with `options`; true with the accepted options in it. False
    // (options unchanged) on cancel or when no dialog can be shown.
    static bool edit(SaveOptions& options);

private:
    QSpinBox* m_flacLevel;
    QSpinBox* m_vorbisQuality;
    QSpinBox* m_opusQuality;
    QComboBox* m_mp3BitRate;
    QComboBox* m_wavSampleType;
};

} // namespace quillon::filefilter
