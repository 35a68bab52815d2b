// quillon-cover: a jewel-case cover from a CD track list hand-off file, written to PDF
// or printed.
//   quillon-cover FILE.cdc [--pdf OUT.pdf]
// Without --pdf the print dialog lets the user choose a printer (or a PDF file).
#include "cover_document.h"
#include "cover_painter.h"

#include "base/prompter.h"
#include "base_qt/language_pack.h"
#include "base_qt/qsettings_store.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The language pack's own complaint, the one thing the cover program has to say: in a
// message box when it shows its print dialog, on standard error when it writes a PDF.
class CoverPrompter : public quillon::Prompter {
public:
    using Prompter::askOkCancel;
    using Prompter::askYesNo;
    using Prompter::showMessage;

    explicit CoverPrompter(bool quiet) : m_quiet(quiet) {}
    void showMessage(const std::string& text, quillon::PromptIcon) override
    {
        const QString shown = QCoreApplication::translate("Messages", text.c_str());
        if (m_quiet)
            std::fprintf(stderr, "quillon-cover: %s\n", qPrintable(shown));
        else
            QMessageBox::warning(nullptr, QStringLiteral("quillon-cover"), shown);
    }
    bool askOkCancel(const std::string& text) override
    {
        showMessage(text, quillon::PromptIcon::Question);
        return true;
    }
    bool askYesNo(const std::string& text) override
    {
        showMessage(text, quillon::PromptIcon::Question);
        return true;
    }

private:
    bool m_quiet;
};

} // namespace

int main(int argc, char** argv)
{
    // Writing a PDF needs no screen: without one (a script, a build machine) the
    // program still starts.
    const bool toPdf = argc == 4 && std::strcmp(argv[2], "--pdf") == 0;
    if (toPdf && !std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    // The same pack as the program's, by the same setting, so that the dialog and the
    // printed words are in the user's language.
    CoverPrompter prompter(toPdf);
    quillon::QSettingsStore settings;
    quillon::LanguagePack language(prompter);
    language.loadSetting(QCoreApplication::applicationDirPath(), settings);
    const QStringList args = app.arguments();
    if (args.size() < 2 || (args.size() == 3) || (args.size() == 4 && args[2] != "--pdf") || args.size() > 4) {
        std::fprintf(stderr, "usage: quillon-cover FILE.cdc [--pdf OUT.pdf]\n");
        return 2;
    }
    quillon::CoverDocument cover;
    if (!cover.load(args[1])) {
        std::fprintf(stderr, "quillon-cover: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    if (args.size() == 4)
        return quillon::CoverPainter::writePdf(cover, args[3]) ? 0 : 1;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer);
    dialog.setWindowTitle(QObject::tr("Print Cover"));
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    return quillon::CoverPainter::paint(cover, printer) ? 0 : 1;
}
