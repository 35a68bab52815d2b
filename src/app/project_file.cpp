#include "app/project_file.h"

#include "base/archive.h"
#include "base/memory_stream.h"
#include "model/multitracker_doc.h"
#include "plugins/class_com.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

namespace quillon {

namespace {

QString message(const char* text) { return QCoreApplication::translate("Messages", text); }

} // namespace

bool ProjectFile::load(CMultitrackerDoc& doc, const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QCoreApplication::translate("ProjectFile", "Cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    CArchive ar(stream, CArchive::Mode::Load);
    try {
        doc.serialize(ar);
    } catch (const ArchiveException&) {
        error = message(kUnexpectedFormat);
        return false;
    } catch (const ClassCom&) {
        error = message(kClassComError);
        return false;
    }
    doc.clearUndoHistory();
    doc.setModified(false);
    return true;
}

bool ProjectFile::save(CMultitrackerDoc& doc, const QString& path, QString& error)
{
    MemoryStream stream;
    try {
        CArchive ar(stream, CArchive::Mode::Store);
        doc.serialize(ar);
    } catch (const ClassCom&) {
        error = message(kClassComError);
        return false;
    } catch (const ArchiveException&) {
        error = message(kUnexpectedFormat);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(stream.data()), qint64(stream.size())) != qint64(stream.size()) ||
        !file.commit()) {
        error = QCoreApplication::translate("ProjectFile", "Cannot save %1: %2").arg(path, file.errorString());
        return false;
    }
    doc.setModified(false);
    return true;
}

} // namespace quillon
