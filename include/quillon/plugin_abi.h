/* The calling interface between Varda Quillon and its plug-in servers.
 *
 * A server is a shared library exporting ccGetMatchCount and ccCreateInterfaces. Every
 * call into a plug-in goes through an interface record: the instance, the interface
 * identifier, a command entry and a release entry. A command returns 0 on success;
 * every parameter block is a struct below and the size argument is its sizeof, which
 * servers check. The host wraps its own objects (notification sink, audio block, byte
 * stream) in the same record.
 */
#ifndef QUILLON_PLUGIN_ABI_H
#define QUILLON_PLUGIN_ABI_H

#include <stddef.h>
#include <stdint.h>

#include "quillon/wave_format.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QUILLON_EXPORT __attribute__((visibility("default")))

typedef struct QuillonIdentifier {
    uint32_t words[4];
} QuillonIdentifier;

typedef struct QuillonInterface QuillonInterface;

typedef int32_t (*QuillonCommandFn)(QuillonInterface* self, uint32_t code, void* param, uint32_t size);
typedef void (*QuillonReleaseFn)(QuillonInterface* self);

struct QuillonInterface {
    void* instance;
    QuillonIdentifier id;
    QuillonCommandFn command;
    QuillonReleaseFn release; /* may be null */
};

/* Interface identifiers. */
#define QUILLON_IID_FILE_FILTER   {{0xE55F88ACu, 0x0B2A45ABu, 0x9C9A0BC6u, 0xFDBC9D21u}}
#define QUILLON_IID_EFFECT        {{0xDB98BC4Cu, 0xDE9A4983u, 0x85E180D4u, 0xCD2F8D43u}}
#define QUILLON_IID_MANAGER       {{0x1291119Cu, 0x0AF74B39u, 0xB0392425u, 0x58D2EEBAu}}
#define QUILLON_IID_CLIP_SINK     {{0xE6DD000Bu, 0xC3504CD6u, 0x82EC9B48u, 0x34EFF223u}}
#define QUILLON_IID_AUDIO_BLOCK   {{0x3377B4DBu, 0x8EA14AECu, 0x8D5EB4F8u, 0x0DCB254Cu}}
#define QUILLON_IID_BYTE_STREAM   {{0x54534E6Au, 0xD4BB44E7u, 0xB4A819DAu, 0xD436CEFBu}}

/* The two exports of every server. */
typedef uint32_t (*QuillonGetMatchCountFn)(QuillonIdentifier id);
typedef int32_t (*QuillonCreateInterfacesFn)(QuillonIdentifier id, uint32_t localIndex, QuillonInterface* out);
#define QUILLON_GET_MATCH_COUNT "ccGetMatchCount"
#define QUILLON_CREATE_INTERFACES "ccCreateInterfaces"

/* Result codes besides 0. */
#define QUILLON_E_FAIL 1
#define QUILLON_E_BAD_SIZE 2
#define QUILLON_E_NO_CLASS 3      /* no implementation at that index / creation failed */
#define QUILLON_E_BAD_PARAM 4
#define QUILLON_E_UNKNOWN_COMMAND 5
#define QUILLON_E_BAD_HANDLE 6
#define QUILLON_E_IO 7

/* ---- Server manager (created at index 0 at start-up) ---- */
#define QUILLON_MGR_INIT 101          /* QuillonMgrInit */
#define QUILLON_MGR_MODULE_COUNT 103  /* QuillonMgrModuleCount */
#define QUILLON_MGR_MODULES 104       /* QuillonMgrModules */

typedef struct QuillonMgrInit {
    uint32_t reserved;
} QuillonMgrInit;

typedef struct QuillonMgrModuleCount {
    uint32_t count; /* out */
} QuillonMgrModuleCount;

typedef struct QuillonMgrModules {
    void** handles; /* array of `count` module handles (dlopen handles) filled by the manager */
    uint32_t count;
} QuillonMgrModules;

/* ---- Clip notification sink (host) ---- */
#define QUILLON_SINK_SOURCE_CHANGED 100 /* param null, size 0; the sink answers 0 */

/* ---- File filter: see the file-filter section below ---- */
/* ---- Effects, audio blocks and byte streams: see the effect section below ---- */

#ifdef __cplusplus
}
#endif

#endif
