/* The calling interface of the disc-burning library (VardaAPI.so).
 *
 * The program loads the library at run time, announces the interface version it was
 * built for, initialises it with a settings record and then works through one device
 * at a time: open, burn or erase, close. Every record below keeps the field order and
 * meaning of the library's original 32-bit layout; pointers and callbacks take their
 * natural 64-bit size, 32-bit words stay 32-bit, and the offsets the program relies on
 * are checked at compile time at the end of this file.
 *
 * Strings handed to the library are UTF-8; the library turns CD-TEXT into ISO-8859-1.
 * Every fixed-size text field is NUL-terminated within its size.
 *
 * Threads: the library is called from one thread at a time. Callbacks run on the
 * calling thread, inside VardaBurn.
 */
#ifndef QUILLON_VARDA_API_H
#define QUILLON_VARDA_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VARDA_EXPORT __attribute__((visibility("default")))

/* The library file inside the folder the settings name. */
#define VARDA_LIBRARY_FILE "VardaAPI.so"

/* The interface version: the program announces (5, 9, 9, 18); the library answers
 * VardaGetAPIVersion with its own number. Drives are listed only above 5554. */
#define VARDA_API_VERSION 5999
#define VARDA_API_VERSION_MIN_DRIVES 5554

/* ---- callbacks ---- */

/* Called while the library waits; a nonzero answer cancels. */
typedef int32_t (*VardaIdleFn)(void* user);
/* A question or notice from the library (VARDA_REQUEST_*); `data` belongs to the request. */
typedef int32_t (*VardaUserDialogFn)(void* user, int32_t request, void* data);
/* Writing progress in percent; a zero answer cancels. */
typedef int32_t (*VardaProgressFn)(void* user, int32_t percent);
/* Asked between steps; nonzero cancels. */
typedef int32_t (*VardaAbortedFn)(void* user);
typedef void (*VardaLogLineFn)(void* user, const char* line);
/* The phase of the burn as a short text ("Writing track 2", ...). */
typedef void (*VardaPhaseFn)(void* user, const char* phase);

/* ---- records ---- */

typedef struct VardaBurnSettings {
    const char* folder;       /* folder of the library's own files; null for its own */
    const char* vendor;       /* "Ostrel" */
    const char* software;     /* "Varda Disc Studio" */
    const char* languageFile; /* "Varda.txt" */
    VardaIdleFn idle;
    void* idleUser;
    VardaUserDialogFn userDialog;
    void* userDialogUser;
    intptr_t reserved[2];
} VardaBurnSettings;

#define VARDA_DRIVE_NAME_SIZE 88
#define VARDA_DRIVE_ADDRESS_SIZE 256
#define VARDA_MAX_SPEEDS 64
#define VARDA_DRIVE_ENTRY_SIZE 1720

/* Capability bits; the program offers a drive only with both of the first two. */
#define VARDA_CAP_WRITE_CDR 0x1u
#define VARDA_CAP_AUDIO 0x2u
#define VARDA_CAP_WRITE_CDRW 0x4u
#define VARDA_CAP_SIMULATE 0x8u
#define VARDA_CAP_CDTEXT 0x10u
#define VARDA_CAP_IMAGE 0x100u /* writes a disc image instead of a disc */

/* One drive of the drive table. */
typedef struct VardaDriveEntry {
    char name[VARDA_DRIVE_NAME_SIZE];       /* offset 0: shown to the user */
    uint32_t capabilities;                  /* offset 88 */
    uint32_t reserved0;                     /* offset 92 */
    char address[VARDA_DRIVE_ADDRESS_SIZE]; /* offset 96: what the library opens */
    uint8_t reserved1[740 - 352];
    int32_t speedCount;                     /* offset 740: N */
    int32_t reserved2;                      /* offset 744 */
    int32_t speedsKBps[VARDA_MAX_SPEEDS];   /* offset 748 */
    int32_t speedMultiples[VARDA_MAX_SPEEDS]; /* offset 1004 */
    uint8_t reserved3[VARDA_DRIVE_ENTRY_SIZE - 1260];
} VardaDriveEntry;

/* A 32-bit count followed by the entries. */
typedef struct VardaDriveTable {
    int32_t count;
    VardaDriveEntry entries[1]; /* `count` of them */
} VardaDriveTable;

#define VARDA_MAX_INDEXES 98
#define VARDA_PATH_SIZE 256
#define VARDA_SOURCE_WAVE_FILE 1
#define VARDA_MEDIA_AUDIO_CD 1
#define VARDA_ISRC_SIZE 16    /* 12 characters, NUL-terminated, padded */
#define VARDA_CATALOG_SIZE 16 /* 13 digits, NUL-terminated, padded */

/* One CD track. */
typedef struct VardaTrack {
    /* Blocks of pause before the track. The first track's pause is silence before its
     * audio (at least 150 blocks); any other track's pause is the end of the previous
     * track's audio, which becomes this track's pregap (index 0). */
    int32_t pause;
    int32_t indexCount;                  /* indexes 2, 3, ... below; at most 98 */
    int32_t indexes[VARDA_MAX_INDEXES];  /* blocks from the previous index or the track start */
    const char* title;
    const char* artist;
    int32_t reserved0;
    char path[VARDA_PATH_SIZE];          /* a 16-bit stereo 44 100 Hz WAV file */
    int32_t reserved1;
    int32_t sourceKind;                  /* VARDA_SOURCE_WAVE_FILE */
    /* The track's ISRC, 12 characters CCXXXYYNNNNN; empty for none. It lies in words an
     * older program leaves 0, so an older program's tracks simply have none. */
    char isrc[VARDA_ISRC_SIZE];
    int32_t reserved2[33 - VARDA_ISRC_SIZE / 4];
} VardaTrack;

/* The disc: the header, then `trackCount` track records (VardaDiscTracks()). */
typedef struct VardaDisc {
    const char* artist;
    const char* title;
    int32_t reserved0[3];
    int32_t trackCount;
    int32_t mediaType; /* VARDA_MEDIA_AUDIO_CD */
    /* The disc's catalogue number (MCN), 13 digits; empty for none. Like a track's ISRC
     * it lies in words an older program leaves 0. */
    char catalog[VARDA_CATALOG_SIZE];
    int32_t reserved1[32 - VARDA_CATALOG_SIZE / 4];
} VardaDisc;

/* The track records that follow the header in one allocation. */
#define VARDA_DISC_TRACKS_OFFSET ((sizeof(VardaDisc) + 7u) & ~(size_t)7u)
#define VardaDiscTracks(disc) ((VardaTrack*)((char*)(disc) + VARDA_DISC_TRACKS_OFFSET))
#define VardaDiscSize(tracks) (VARDA_DISC_TRACKS_OFFSET + (size_t)(tracks) * sizeof(VardaTrack))

typedef struct VardaProgress {
    VardaProgressFn progress;
    VardaAbortedFn aborted;
    VardaLogLineFn logLine;
    VardaPhaseFn phase;
    void* user;
    intptr_t reserved[3];
} VardaProgress;

/* ---- flags of VardaBurn ---- */
#define VARDA_BURN_TEST_SPEED 0x1u /* test the highest speed first */
#define VARDA_BURN_SIMULATE 0x2u   /* simulate before recording */
#define VARDA_BURN_CDTEXT 0x4u
#define VARDA_BURN_DISC_AT_ONCE 0x8u
#define VARDA_BURN_CLOSE_DISC 0x20u
#define VARDA_BURN_EJECT 0x40u
#define VARDA_BURN_AUDIO 0x100u
#define VARDA_BURN_DEFAULT_FLAGS 0x16Cu

/* ---- requests of the user-dialog callback and their answers ---- */
#define VARDA_REQUEST_START_WRITING 2       /* answer VARDA_ANSWER_PROCEED */
#define VARDA_REQUEST_SPEED_UNSUPPORTED 6   /* answer VARDA_ANSWER_NEAREST_SPEED */
#define VARDA_REQUEST_SIMULATION_DONE 7     /* answer VARDA_ANSWER_PROCEED to record */
#define VARDA_REQUEST_SPEED_TEST_DONE 12    /* answer VARDA_ANSWER_PROCEED to record */
#define VARDA_REQUEST_MEDIUM_TOO_SMALL 13   /* answer VARDA_ANSWER_OK to try anyway */
#define VARDA_REQUEST_CANCELLED 14          /* the device ended the job; answer 0 */
#define VARDA_REQUEST_INSERT_MEDIUM 15      /* answer 0 once a medium is in */
#define VARDA_REQUEST_IMAGE_PATH 20         /* data: char[VARDA_PATH_SIZE] to fill */
#define VARDA_REQUEST_ERASE_BEFORE_WRITE 22 /* the CD-RW is not empty */

#define VARDA_ANSWER_NO 0
#define VARDA_ANSWER_OK 1
#define VARDA_ANSWER_NEAREST_SPEED 3
#define VARDA_ANSWER_PROCEED 5        /* also: the disc was erased */
#define VARDA_ANSWER_IMAGE_CANCELLED 21

/* ---- erase ---- */
#define VARDA_ERASE_COMPLETE 0
#define VARDA_ERASE_QUICK 1
#define VARDA_ERASE_NO_CDRW -1        /* no CD-RW in the recorder */
#define VARDA_ERASE_NOT_SUPPORTED -2  /* the recorder cannot write CD-RW */
#define VARDA_ERASE_NOT_REWRITABLE -3 /* the medium is not rewritable */

/* ---- entry points ---- */
typedef int32_t (*VardaSetExpectedAPIVersionExFn)(int32_t a, int32_t b, int32_t c, int32_t d, int32_t reserved);
typedef int32_t (*VardaSetExpectedAPIVersionFn)(int32_t version);
typedef int32_t (*VardaInitFn)(const VardaBurnSettings* settings, int32_t reserved);
typedef int32_t (*VardaGetAPIVersionFn)(void);
typedef VardaDriveTable* (*VardaGetAvailableDrivesFn)(void);
typedef void* (*VardaOpenDeviceFn)(const VardaDriveEntry* drive);
typedef int32_t (*VardaBurnFn)(void* device, int32_t reserved, const VardaDisc* disc, uint32_t flags, int32_t speed,
                               const VardaProgress* progress);
typedef const char* (*VardaGetLastErrorFn)(void);
typedef int32_t (*VardaGetCDRWErasingTimeFn)(void* device, int32_t method);
typedef int32_t (*VardaEraseDiscFn)(void* device, int32_t method, int32_t wait, int32_t reserved);
typedef void (*VardaCloseDeviceFn)(void* device);
typedef void (*VardaFreeMemFn)(void* memory);
typedef int32_t (*VardaDoneFn)(void);
/* Blocks the medium in the drive holds (a blank's reported size), or a value <= 0 when
 * the drive cannot tell. A later addition: a program looks it up and does without it. */
typedef int32_t (*VardaGetMediumCapacityFn)(void* device);

VARDA_EXPORT int32_t VardaSetExpectedAPIVersionEx(int32_t a, int32_t b, int32_t c, int32_t d, int32_t reserved);
VARDA_EXPORT int32_t VardaSetExpectedAPIVersion(int32_t version);
VARDA_EXPORT int32_t VardaInit(const VardaBurnSettings* settings, int32_t reserved);
VARDA_EXPORT int32_t VardaGetAPIVersion(void);
VARDA_EXPORT VardaDriveTable* VardaGetAvailableDrives(void);
VARDA_EXPORT void* VardaOpenDevice(const VardaDriveEntry* drive);
VARDA_EXPORT int32_t VardaBurn(void* device, int32_t reserved, const VardaDisc* disc, uint32_t flags, int32_t speed,
                               const VardaProgress* progress);
VARDA_EXPORT const char* VardaGetLastError(void);
VARDA_EXPORT int32_t VardaGetCDRWErasingTime(void* device, int32_t method);
VARDA_EXPORT int32_t VardaEraseDisc(void* device, int32_t method, int32_t wait, int32_t reserved);
VARDA_EXPORT void VardaCloseDevice(void* device);
VARDA_EXPORT void VardaFreeMem(void* memory);
VARDA_EXPORT int32_t VardaDone(void);
VARDA_EXPORT int32_t VardaGetMediumCapacity(void* device);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(VardaDriveEntry) == VARDA_DRIVE_ENTRY_SIZE, "drive entry size");
static_assert(offsetof(VardaDriveEntry, capabilities) == 88, "capability word");
static_assert(offsetof(VardaDriveEntry, speedCount) == 740, "speed count");
static_assert(offsetof(VardaDriveEntry, speedsKBps) == 748, "speeds");
static_assert(offsetof(VardaDriveEntry, speedMultiples) == 1004, "speed multiples");
static_assert(offsetof(VardaDriveTable, entries) == 4, "entries follow the count");
static_assert(sizeof(VardaBurnSettings) == 10 * sizeof(void*), "ten words");
static_assert(sizeof(VardaProgress) == 8 * sizeof(void*), "eight words");
static_assert(offsetof(VardaTrack, indexes) == 8 && offsetof(VardaTrack, title) == 400, "track record");
/* The codes took reserved words: the records keep their sizes and every older offset. */
static_assert(offsetof(VardaTrack, isrc) == offsetof(VardaTrack, sourceKind) + 4, "ISRC after the source kind");
static_assert(sizeof(VardaTrack) == offsetof(VardaTrack, sourceKind) + 4 + 33 * 4, "track record size");
static_assert(offsetof(VardaDisc, catalog) == offsetof(VardaDisc, mediaType) + 4, "catalogue after the media type");
static_assert(sizeof(VardaDisc) == (offsetof(VardaDisc, mediaType) + 4 + 32 * 4 + alignof(void*) - 1) / alignof(void*) *
                                       alignof(void*),
              "disc header size");
#endif

#endif /* QUILLON_VARDA_API_H */
