#pragma once
// Reading and writing ".vpf" project files through the document's archive. A save
// goes to a temporary file in the same folder that replaces the old file only once it
// is complete, so a failed save never destroys the project on disk.

#include <QString>

namespace quillon {

class CMultitrackerDoc;

class ProjectFile {
public:
    static constexpr const char* kUnexpectedFormat = "Unexpected file format.";
    static constexpr const char* kClassComError = "Unable to create instance of class com interface (ClassCom Error).";

    // False with `error` set (the message to show) when the file cannot be read or is
    // not a project; the document is then empty.
    static bool load(CMultitrackerDoc& doc, const QString& path, QString& error);
    static bool save(CMultitrackerDoc& doc, const QString& path, QString& error);
};

} // namespace quillon
