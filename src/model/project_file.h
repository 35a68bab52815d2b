#pragma once
// Opening and saving ".vpf" project files. The bytes are the document's archive
// (CMultitrackerDoc::serialize); this class adds the file handling around it: a load
// that reports every failure in one message and leaves the document empty, and a save
// that goes to a temporary file in the target's folder, is flushed to the disk and only
// then renamed over the old file, so that a failed save never costs the previous one.
//
// Threads: the user-interface thread, which owns the document.

#include "base/prompt_text.h"
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace quillon {

class CMultitrackerDoc;

class ProjectFile {
public:
    static constexpr const char* kExtension = ".vpf";
    static constexpr const char* kUnexpectedFormat = "Unexpected file format.";
    // %1: the file, %2: the operating system's reason.
    static constexpr const char* kCannotOpenText = "Cannot open \"%1\": %2";
    static constexpr const char* kCannotSaveText = "Cannot save \"%1\": %2";

    // Writes up to `size` bytes to a descriptor as ::write does: the count written, or
    // -1 with errno set. Tests pass one that fails part-way to act out a full disk.
    using WriteFunction = std::function<ssize_t(int fd, const void* data, size_t size)>;

    // Opens a project file into `doc`. On success the undo history is emptied and the
    // document is unmodified. On failure `error` holds the message to show and false is
    // returned: a file that cannot be read leaves the document as it was (the message
    // names the file and the reason); a file that is not a project, is damaged, or needs
    // a plug-in that fails gives "Unexpected file format." and leaves the document empty,
    // with the name of a missing source file or effect on a second line. The caller
    // tells the views (the document sends no hint here).
    static bool load(CMultitrackerDoc& doc, const std::string& path, PromptText& error);
    // The same for bytes already in memory.
    static bool loadBytes(CMultitrackerDoc& doc, const uint8_t* data, size_t size, PromptText& error);
    // The same with the message in English (the command-line tool).
    static bool load(CMultitrackerDoc& doc, const std::string& path, std::string& error);
    static bool loadBytes(CMultitrackerDoc& doc, const uint8_t* data, size_t size, std::string& error);

    // The bytes of the project file. ClassCom passes to the caller (a plug-in that
    // refuses to hand over its state).
    static std::vector<uint8_t> storeBytes(CMultitrackerDoc& doc);
    // Saves `doc` to `path` (following a symbolic link to its target). On success the
    // document is unmodified. On failure `error` names the file and the reason, and
    // the file at `path` is exactly as it was.
    static bool save(CMultitrackerDoc& doc, const std::string& path, PromptText& error,
                     const WriteFunction& write = {});
    static bool save(CMultitrackerDoc& doc, const std::string& path, std::string& error,
                     const WriteFunction& write = {});
    // Writes `bytes` to `path` the same way (temporary file, flush, rename).
    static bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes, PromptText& error,
                          const WriteFunction& write = {});
    static bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                          const WriteFunction& write = {});

    // The message for an error thrown while loading a project (also out of undo and
    // redo): "Unexpected file format.", and for a missing source file or effect the
    // line that names it.
    static PromptText loadErrorMessage(const std::exception& error);
    static std::string loadErrorText(const std::exception& error) { return loadErrorMessage(error).english(); }
};

} // namespace quillon
