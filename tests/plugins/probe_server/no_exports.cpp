// A shared library that is not a plug-in server: it lacks both exports.

#include <quillon/plugin_abi.h>

extern "C" QUILLON_EXPORT int quillonNotAServer() { return 42; }
