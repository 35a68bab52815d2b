#pragma once
// The file filter's helper modules: parts with heavy libraries (aubio for tempo measuring,
// Qt Widgets for the dialogs) live in modules of their own in the folder "filefilter.d"
// beside the filter's library, and are loaded the first time they are needed, so that
// reading and writing audio never pays for them. They are never unloaded.
//
// Threads: any thread may call helperSymbol().

#include <string>

#define QUILLON_FF_HELPER_FOLDER "filefilter.d"

namespace quillon::filefilter {

// The path of helper module `file`.
std::string helperModulePath(const char* file);
// The address of `symbol` in helper module `file`, loading it on first use; null with
// `error` set when the module or the symbol is missing.
void* helperSymbol(const char* file, const char* symbol, std::string& error);

} // namespace quillon::filefilter
