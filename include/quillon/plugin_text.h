/* Texts a plug-in server shows to the user through the host: effect, category and
 * parameter names and units, file type names. Servers are free of any toolkit and hand
 * these over in English; the host looks each up in its language pack, in the context
 * given here ("Effects" for everything an effect shows, "FileTypes" for file types), so
 * the macros only mark the literals for the catalogue and leave them as they are.
 */
#ifndef QUILLON_PLUGIN_TEXT_H
#define QUILLON_PLUGIN_TEXT_H

/* One text, looked up whole in `context`. */
#define QUILLON_TEXT(context, text) (text)
/* Effect menu lines ("EFFECTS\\Reverb\\Hall [2]"): each part of a path is looked up on its
 * own in "Effects". */
#define QUILLON_MENU(text) (text)

#endif
