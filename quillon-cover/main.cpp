// quillon-cover: a jewel-case cover from a CD track list hand-off file, written to PDF
// or printed.
//   quillon-cover FILE.cdc [--pdf OUT.pdf]
// Without --pdf the print dialog lets the user choose a printer (or a PDF file).
#include "cover_document.h"
#include "cover_painter.h"
#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    // Writing a PDF needs no screen: without one (a script, a build machine) the
    // program still starts.
    const bool toPdf = argc == 4 && std::strcmp(argv[2], "--pdf") == 0;
    if (toPdf && !std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
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
