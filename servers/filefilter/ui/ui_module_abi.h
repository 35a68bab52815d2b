#pragma once
// What the file filter and its dialog module share: C entry points looked up by name.
// The module is built and shipped with the filter, from the same sources, so the save
// options travel as the filter's own SaveOptions object.

extern "C" {
// Shows the export save dialog. 1 with *path set to the chosen file (malloc'ed; the
// caller frees it), 0 when cancelled.
typedef int (*QuillonFfUiChooseDestination)(int defaultFormat, const char* folder, char** path);
// Shows the save options dialog on a quillon::filefilter::SaveOptions; 1 when accepted
// (the options changed in place), 0 when cancelled.
typedef int (*QuillonFfUiEditSaveOptions)(void* options);
}

#define QUILLON_FF_UI_MODULE_FILE "filefilter-ui.so"
#define QUILLON_FF_UI_CHOOSE_DESTINATION_SYMBOL "quillonFfUiChooseDestination"
#define QUILLON_FF_UI_EDIT_SAVE_OPTIONS_SYMBOL "quillonFfUiEditSaveOptions"
