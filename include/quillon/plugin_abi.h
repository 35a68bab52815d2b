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

/* ---- File filter ----
 * One instance per clip. Positions and lengths are frames of the current output format,
 * which is the source's own (channels, rate; float samples) until QUILLON_FF_SET_OUTPUT
 * sets one. Readers (108-111) and peaks (116) address the clip as it plays, time scaling
 * included; the length (112) and the tempo position (115) count frames before the clip's
 * ratio (122) but after the transition scalings (121). Reader commands (108-111) may come
 * from a playback or export thread while the user-interface thread sends the others.
 */
/* Writing (the export and recording side). An instance writes at most one file at a time;
 * releasing the instance finishes it. */
#define QUILLON_FF_CHOOSE_DESTINATION 100 /* QuillonFfChooseDestination */
#define QUILLON_FF_CREATE 101             /* QuillonFfCreate */
#define QUILLON_FF_WRITE 102              /* QuillonFfWrite */
#define QUILLON_FF_EXPORT_FORMAT_COUNT 103 /* QuillonFfExportFormatCount */
#define QUILLON_FF_EXPORT_FORMAT_NAME 104  /* QuillonFfExportFormatName */

/* Reading. */
#define QUILLON_FF_OPEN 105              /* QuillonFfOpen */
#define QUILLON_FF_OPEN_STATE 106        /* QuillonFfOpenState */
#define QUILLON_FF_CREATE_READER 108     /* QuillonFfCreateReader */
#define QUILLON_FF_SEEK 109              /* QuillonFfSeek */
#define QUILLON_FF_READ 110              /* QuillonFfRead */
#define QUILLON_FF_CLOSE_READER 111      /* QuillonFfCloseReader */
#define QUILLON_FF_LENGTH 112            /* QuillonFfLength */
#define QUILLON_FF_SOURCE_FORMAT 113     /* QuillonFfSourceFormat */
#define QUILLON_FF_FILTER_LIST 114       /* QuillonFfFilterList */
#define QUILLON_FF_TEMPO 115             /* QuillonFfTempo */
#define QUILLON_FF_PEAKS 116             /* QuillonFfPeaks */
#define QUILLON_FF_PEAK_PROGRESS 117     /* QuillonFfPeakProgress */
#define QUILLON_FF_SAVE_STATE 118        /* QuillonFfSaveState */
#define QUILLON_FF_STATE_SIZE 119        /* QuillonFfStateSize */
#define QUILLON_FF_SET_OUTPUT 120        /* QuillonFfSetOutput */
#define QUILLON_FF_TRANSITION_SCALE 121  /* QuillonFfTransitionScale */
#define QUILLON_FF_TIME_SCALE_RATIO 122  /* QuillonFfTimeScaleRatio */
#define QUILLON_FF_DETECT_PAUSES 124     /* QuillonFfDetectPauses */
#define QUILLON_FF_SPLIT_AT_PAUSES 125   /* QuillonFfSplitAtPauses */
#define QUILLON_FF_EDIT_EXTERNALLY 126   /* QuillonFfEditExternally */
#define QUILLON_FF_SET_SINK 127          /* QuillonFfSetSink */
/* Our own addition: where this instance keeps its peak files. Without it the filter uses
 * $QUILLON_PEAK_DIR, else the system temporary folder. */
#define QUILLON_FF_PEAK_FOLDER 128       /* QuillonFfPeakFolder */
/* Our own addition: the full path of the source, so that a failed project load can name
 * the missing file. */
#define QUILLON_FF_SOURCE_PATH 129       /* QuillonFfSourcePath */
/* Needs no open source: works on a state the host holds. */
#define QUILLON_FF_RELINK_STATE 130      /* QuillonFfRelinkState */

#define QUILLON_FF_FILTER_LIST_CAPACITY 512
#define QUILLON_FF_MAX_SPLIT_PIECES 99
#define QUILLON_FF_FORMAT_NAME_CHARS 255 /* buffer the host gives to 104 */

/* 100: asks the user for the destination file and its type (a save dialog listing the
 * export formats). Without a user interface, or when the user cancels, the result is 0
 * with success 0 and nothing is written. */
typedef struct QuillonFfChooseDestination {
    const WAVEFORMATEX* format; /* the destination format, as for 101 */
    uint32_t one;               /* 1 */
    int32_t defaultFormat;      /* index into the export formats preselected, -1 for none */
    uint32_t success;           /* out: nonzero when a file is open for writing */
    int64_t frames;             /* as for 101 */
} QuillonFfChooseDestination;

#define QUILLON_FF_INPUT_RECORDED 0 /* frames in the destination format itself */
#define QUILLON_FF_INPUT_FLOAT 1    /* interleaved 32-bit float frames, -1..+1 */

/* 101: creates (or replaces) the file in the type its extension names (one of the export
 * formats). The format gives channels, rate and resolution: tag 1 with 8, 16, 24 or 32
 * bits, or tag 3 with 32 bits. A file that cannot be created answers QUILLON_E_IO.
 * WAV files of one or two channels are plain RIFF files with format tag 1 or 3; one that
 * `frames` says will pass 4 GiB is RF64 from the start, and one of unknown length (0) keeps
 * room to become RF64 should it grow that far. */
typedef struct QuillonFfCreate {
    const char* path; /* UTF-8 */
    const WAVEFORMATEX* format;
    uint8_t input;    /* QUILLON_FF_INPUT_* */
    uint8_t success;  /* out: nonzero when the file is open */
    uint16_t reserved;
    int64_t frames;   /* frames the caller means to write, 0 when unknown */
} QuillonFfCreate;

/* 102: appends frames to the open file; QUILLON_E_FAIL without one, QUILLON_E_IO when the
 * frames could not be written (the file keeps what was written before). */
typedef struct QuillonFfWrite {
    const void* frames;
    uint32_t count; /* frames */
    uint32_t reserved;
} QuillonFfWrite;

typedef struct QuillonFfExportFormatCount {
    uint32_t count; /* out */
} QuillonFfExportFormatCount;

/* The display name of an export format, zero-terminated and cut to fit. The stored
 * default export format (DefExportFormat) indexes this list. */
typedef struct QuillonFfExportFormatName {
    uint32_t index;
    char* buffer;
    uint32_t size; /* QUILLON_FF_FORMAT_NAME_CHARS */
} QuillonFfExportFormatName;

typedef struct QuillonFfOpen {
    const char* path; /* UTF-8 */
    uint32_t success; /* out: nonzero when opened */
} QuillonFfOpen;

typedef struct QuillonFfOpenState {
    const void* state;
    uint32_t size;
    uint32_t success; /* out */
} QuillonFfOpenState;

typedef struct QuillonFfCreateReader {
    uint32_t reader; /* out: a fresh reader at frame 0 */
} QuillonFfCreateReader;

typedef struct QuillonFfSeek {
    uint32_t reader;
    int32_t position; /* frames from the clip start; before 0 reads silence first */
} QuillonFfSeek;

typedef struct QuillonFfRead {
    uint32_t reader;
    float* frames;       /* room for `count` interleaved output frames */
    uint32_t count;      /* always filled completely; silence past the end */
    uint32_t framesRead; /* out: frames within the source's length (the rest is silence) */
} QuillonFfRead;

typedef struct QuillonFfCloseReader {
    uint32_t reader;
} QuillonFfCloseReader;

typedef struct QuillonFfLength {
    int32_t length; /* out: frames of the current output format, before the clip's ratio */
} QuillonFfLength;

typedef struct QuillonFfSourceFormat {
    WAVEFORMATEX* format; /* out: the source's format */
} QuillonFfSourceFormat;

typedef struct QuillonFfFilterList {
    char* text;        /* out: "description|pattern|" pairs, zero-terminated */
    uint32_t capacity; /* characters, QUILLON_FF_FILTER_LIST_CAPACITY */
} QuillonFfFilterList;

typedef struct QuillonFfTempo {
    int32_t position; /* counted as the length is (0 .. the length of 112) */
    float tempo;      /* out: beats per minute as the clip plays there, 0 when none is found */
} QuillonFfTempo;

/* Peaks of the source's own channels: P x C (minimum, maximum) pairs, point-major. */
typedef struct QuillonPeakBuffer {
    float* pairs;          /* room for `capacity` pairs, provided by the caller */
    uint32_t capacity;     /* pairs; at least points x source channels */
    uint32_t points;       /* out: P */
    uint32_t channels;     /* out: C */
    float framesPerPoint;  /* out: (range end - range begin) / P */
} QuillonPeakBuffer;

typedef struct QuillonFfPeaks {
    int32_t begin;              /* range in frames from the clip start; end exclusive */
    int32_t end;
    QuillonPeakBuffer* buffer;
    int32_t points;             /* > 0 */
    uint32_t reserved;
} QuillonFfPeaks;

typedef struct QuillonFfPeakProgress {
    uint32_t percent; /* out: 100 when the peaks are complete */
} QuillonFfPeakProgress;

typedef struct QuillonFfSaveState {
    void* buffer;
    uint32_t size; /* at least the size QUILLON_FF_STATE_SIZE reports */
} QuillonFfSaveState;

typedef struct QuillonFfStateSize {
    uint32_t size; /* out */
} QuillonFfStateSize;

typedef struct QuillonFfSetOutput {
    const WAVEFORMATEX* format; /* channels and rate are used; samples are always 32-bit float */
} QuillonFfSetOutput;

/* Flags of 121: the side in the high byte, the kind in the low one. */
#define QUILLON_FF_TRANSITION_HARD 1        /* the ratio throughout */
#define QUILLON_FF_TRANSITION_GRADUAL 2     /* from the source's own tempo to the ratio */
#define QUILLON_FF_TRANSITION_AT_START 0x100
#define QUILLON_FF_TRANSITION_AT_END 0x200

/* 121: scales only a transition of `length` frames at the end (QUILLON_FF_TRANSITION_AT_END)
 * or the start (QUILLON_FF_TRANSITION_AT_START) of the source, hard (the ratio throughout) or
 * gradual (from the source's own tempo at the body to the ratio at the clip's edge). Length 0, kind 0 or ratio 1 removes the
 * transition of the side named, of both sides when the flags name none. Ratios run from
 * 0.01 to 100; anything else answers QUILLON_E_BAD_PARAM and changes nothing. */
typedef struct QuillonFfTransitionScale {
    int32_t length;
    uint32_t flags;
    float ratio;
    uint32_t reserved;
} QuillonFfTransitionScale;

/* 122: reads deliver the clip stretched to its length times the ratio, pitch kept; 1.0 is
 * the plain source. */
typedef struct QuillonFfTimeScaleRatio {
    float ratio;
} QuillonFfTimeScaleRatio;

/* 124: the stretches of audio between pauses. A pause is a run of at least the minimum
 * pause in which no sample rises above the threshold; pieces shorter than the minimum
 * track are joined to a neighbour, and so are the pieces closest together when there are
 * more than the capacity. Ranges are in the frames that reads address (from the clip start,
 * after time scaling), in time order; end exclusive. */
typedef struct QuillonFfDetectPauses {
    float threshold;        /* linear gain */
    float minTrackSeconds;
    float minPauseSeconds;
    int32_t* ranges;        /* room for `capacity` (begin, end) pairs */
    uint32_t capacity;      /* pairs, at most QUILLON_FF_MAX_SPLIT_PIECES are used */
    uint32_t count;         /* out: pairs filled */
} QuillonFfDetectPauses;

/* 125: the same detection; each piece becomes a new file-filter instance that reads only
 * its stretch of the source (unscaled, in this instance's output format) and saves and
 * reopens only that stretch. The pieces are listed from the LAST to the first, so a host
 * that puts each returned piece at the front of its list ends up with them in time order.
 * On failure no instance is left to the caller. */
typedef struct QuillonFfSplitAtPauses {
    float threshold;        /* linear gain */
    float minTrackSeconds;
    float minPauseSeconds;
    QuillonInterface* pieces; /* out: new file-filter instances, owned by the caller */
    uint32_t capacity;        /* QUILLON_FF_MAX_SPLIT_PIECES */
    uint32_t filled;          /* out */
} QuillonFfSplitAtPauses;

/* 126: starts the wave editor (the user setting "WaveEditorCommand" in "General", by
 * default the desktop's handler for the file) on the full path of the source the instance
 * holds; the name is informational. QUILLON_E_FAIL without a source, QUILLON_E_IO when the
 * program cannot be started. */
typedef struct QuillonFfEditExternally {
    const char* fileName; /* without folder */
    uint32_t reserved;
} QuillonFfEditExternally;

/* The filter keeps a copy of the record and calls it with QUILLON_SINK_SOURCE_CHANGED from
 * a thread of its own; it never releases it. A record without a command entry detaches the
 * sink. The host keeps the sink alive until it detaches it or releases the filter. */
typedef struct QuillonFfSetSink {
    QuillonInterface sink;
} QuillonFfSetSink;

typedef struct QuillonFfPeakFolder {
    const char* folder; /* UTF-8; empty or null returns to the default */
} QuillonFfPeakFolder;

/* The full path of the source the instance holds; after a failed open (105, 106) the path
 * that open tried, when it named one. Empty when there is none. */
typedef struct QuillonFfSourcePath {
    char* buffer;    /* may be null when size is 0 */
    uint32_t size;   /* the text is zero-terminated and cut to fit */
    uint32_t length; /* out: the full length in bytes, without the terminator */
} QuillonFfSourcePath;

/* A saved state (106) whose source is missing, rewritten to name another file: range,
 * ratio and transitions stay, the new file's size is recorded. With a null path only
 * recordedSize is filled in. The buffer may be too small (or null with bufferSize 0):
 * length tells the size needed and nothing is written. */
typedef struct QuillonFfRelinkState {
    const void* state;
    uint32_t size;
    const char* path;     /* UTF-8; the new source */
    void* buffer;
    uint32_t bufferSize;
    uint32_t length;      /* out: the new state's size */
    int64_t recordedSize; /* out: the source file's size in bytes the state records; -1 if none */
} QuillonFfRelinkState;

/* ---- File-filter manager ----
 * One per file-filter server, for settings that apply to all of its instances. */
#define QUILLON_IID_FILE_FILTER_MANAGER {{0xF8222682u, 0x5797459Bu, 0x878BAF6Eu, 0x3117494Eu}}
#define QUILLON_FFM_CONFIGURE_SAVE_OPTIONS 105 /* QuillonFfmConfigure */

/* Shows the save options dialog (compression, quality, bit rate, WAV sample type) and
 * stores what the user accepts; later writes use it. Without a user interface, or on
 * cancel, success stays 0. */
typedef struct QuillonFfmConfigure {
    uint32_t success; /* out: nonzero when new options were stored */
} QuillonFfmConfigure;
/* ---- Effects, audio blocks and byte streams: see the effect section below ---- */

/* ---- Effects, audio blocks and byte streams ----
 *
 * An effect processes interleaved 32-bit float blocks that the host hands over as an
 * audio-block record (119), and keeps its settings as numbered parameters (132, 140-144)
 * whose values make up its saved state (124, 123), written to a host byte-stream record.
 * Effect commands may arrive from the user-interface thread while the render thread
 * processes; 117 and 119 never run at the same time.
 */
#define QUILLON_FX_SET_FORMAT 117        /* QuillonFxFormat; resets the effect's history */
#define QUILLON_FX_PROCESS 119           /* QuillonFxProcess */
#define QUILLON_FX_SET_VALUE 120         /* QuillonFxSetValue */
#define QUILLON_FX_CREATE_EDITOR 121     /* effects without an editor answer QUILLON_E_UNKNOWN_COMMAND */
#define QUILLON_FX_HAS_EDITOR 122        /* QuillonFxHasEditor */
#define QUILLON_FX_LOAD_STATE 123        /* QuillonFxStream */
#define QUILLON_FX_SAVE_STATE 124        /* QuillonFxStream */
#define QUILLON_FX_LENGTH_FACTOR 128     /* QuillonFxLengthFactor */
#define QUILLON_FX_NAME 129              /* QuillonFxText */
#define QUILLON_FX_MENU_LIST 130         /* QuillonFxMenuList */
#define QUILLON_FX_SET_PARAMETER 132     /* QuillonFxParameter */
#define QUILLON_FX_IDENTITY 135          /* QuillonFxIdentity */
#define QUILLON_FX_PARAMETER_COUNT 140   /* QuillonFxParameterCount */
#define QUILLON_FX_PARAMETER_NAME 141    /* QuillonFxParameterText */
#define QUILLON_FX_PARAMETER_RANGE 142   /* QuillonFxParameterRange */
#define QUILLON_FX_PARAMETER_UNIT 143    /* QuillonFxParameterText */
#define QUILLON_FX_GET_PARAMETER 144     /* QuillonFxParameter (value out) */
#define QUILLON_FX_LATENCY 145           /* QuillonFxLatency; an effect that delays its output */

#define QUILLON_FX_NAME_CHARS 255        /* buffer the host gives to 129 */
#define QUILLON_FX_MENU_CHARS 2048       /* buffer the host gives to 130 */

typedef struct QuillonFxFormat {
    uint32_t sampleRate;
    uint32_t channels;
    uint32_t reserved; /* 0 */
} QuillonFxFormat;

/* The host's audio-block record (QUILLON_IID_AUDIO_BLOCK), valid during the call only. */
typedef struct QuillonFxProcess {
    QuillonInterface block;
} QuillonFxProcess;

/* The value is a notification whose meaning each effect defines. The shipped effects
 * take it as the bracket number of the menu line the effect was chosen from and switch
 * to that variant of their settings; other values are ignored. */
typedef struct QuillonFxSetValue {
    int32_t value;
    int32_t reserved; /* 0 */
} QuillonFxSetValue;

/* 121: the effect builds its editor as a child of the host's widget (a QWidget of the
 * host's Qt, which the server shares) and hands it back. The host owns the editor from
 * then on and destroys it before it releases the instance. */
typedef struct QuillonFxEditor {
    void* parent; /* in: the host's QWidget */
    void* editor; /* out: the editor's QWidget, a child of parent */
} QuillonFxEditor;

typedef struct QuillonFxHasEditor {
    int32_t hasEditor; /* out: nonzero when the effect has its own editor window */
} QuillonFxHasEditor;

/* The host's byte-stream record (QUILLON_IID_BYTE_STREAM), valid during the call only. */
typedef struct QuillonFxStream {
    QuillonInterface stream;
} QuillonFxStream;

typedef struct QuillonFxLengthFactor {
    double factor; /* out: by how much one block may grow, 1.0 when it never does */
} QuillonFxLengthFactor;

/* Zero-terminated text written into the caller's buffer; cut to fit. */
typedef struct QuillonFxText {
    char* buffer;
    uint32_t size;
} QuillonFxText;

/* Menu lines separated by line feeds: a path whose parts are separated by backslashes,
 * optionally followed by a variant number in brackets ("EFFECTS\\Reverb\\Hall [2]"). A path
 * ending in a backslash takes the effect's name as its last part. */
typedef struct QuillonFxMenuList {
    char* buffer;
    uint32_t size;
    uint32_t length; /* out: characters written, without the terminator */
} QuillonFxMenuList;

typedef struct QuillonFxParameter {
    uint32_t index;
    float value; /* in for 132 (clamped to the range), out for 144 */
} QuillonFxParameter;

typedef struct QuillonFxIdentity {
    QuillonIdentifier identity; /* out */
} QuillonFxIdentity;

typedef struct QuillonFxParameterCount {
    uint32_t count; /* out */
} QuillonFxParameterCount;

typedef struct QuillonFxParameterText {
    uint32_t index;
    char* buffer;
    uint32_t size;
} QuillonFxParameterText;

#define QUILLON_FX_PARAM_CONTINUOUS 0 /* any value in the range */
#define QUILLON_FX_PARAM_SWITCH 1     /* 0 = off, 1 = on */
#define QUILLON_FX_PARAM_STEPPED 2    /* whole numbers only */

typedef struct QuillonFxLatency {
    uint32_t frames; /* out: how many frames the output lags the input */
} QuillonFxLatency;

typedef struct QuillonFxParameterRange {
    uint32_t index;
    float minimum;      /* out */
    float maximum;      /* out */
    float defaultValue; /* out */
    uint32_t kind;      /* out: QUILLON_FX_PARAM_* */
} QuillonFxParameterRange;

/* ---- Audio block (host) ----
 * Interleaved 32-bit float frames. The block may be lengthened up to its capacity. */
#define QUILLON_BLOCK_DATA 200           /* QuillonBlockData */
#define QUILLON_BLOCK_FRAME_COUNT 201    /* QuillonBlockFrames (out) */
#define QUILLON_BLOCK_CHANNELS 202       /* QuillonBlockChannels */
#define QUILLON_BLOCK_START 203          /* QuillonBlockStart */
#define QUILLON_BLOCK_CAPACITY 204       /* QuillonBlockFrames (out) */
#define QUILLON_BLOCK_RESIZE 205         /* QuillonBlockFrames (in); above the capacity: QUILLON_E_BAD_PARAM */

typedef struct QuillonBlockData {
    float* data; /* out */
} QuillonBlockData;

typedef struct QuillonBlockFrames {
    uint32_t frames;
} QuillonBlockFrames;

typedef struct QuillonBlockChannels {
    uint32_t channels; /* out */
} QuillonBlockChannels;

typedef struct QuillonBlockStart {
    int32_t position; /* out: frames this effect instance processed before this block */
} QuillonBlockStart;

/* ---- Byte stream (host) ---- */
#define QUILLON_STREAM_READ 210          /* QuillonStreamTransfer; fewer bytes at the end */
#define QUILLON_STREAM_WRITE 211         /* QuillonStreamTransfer */
#define QUILLON_STREAM_SEEK 212          /* QuillonStreamSeek */
#define QUILLON_STREAM_LENGTH 213        /* QuillonStreamLength */

#define QUILLON_SEEK_BEGIN 0
#define QUILLON_SEEK_CURRENT 1
#define QUILLON_SEEK_END 2

typedef struct QuillonStreamTransfer {
    void* data;
    uint32_t size;
    uint32_t done; /* out: bytes read or written */
} QuillonStreamTransfer;

typedef struct QuillonStreamSeek {
    int64_t offset;
    uint32_t origin;   /* QUILLON_SEEK_* */
    uint64_t position; /* out: the new position; before the start: QUILLON_E_BAD_PARAM */
} QuillonStreamSeek;

typedef struct QuillonStreamLength {
    uint64_t length; /* out */
} QuillonStreamLength;

#ifdef __cplusplus
}
#endif

#endif
