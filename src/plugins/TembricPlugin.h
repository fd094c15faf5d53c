/*
 * Tembric plugin libraries: the interface for plugin authors.
 *
 * A plugin is a DLL placed below the "Plugins" folder beside Tembric.exe. It
 * offers one or more items; each becomes a record below "*Plugins" whose
 * content the plugin computes when the user pastes it. Tembric loads the
 * library by its full path for each use, looks up the exports below by name,
 * calls them, handles its pending window messages and unloads the library
 * again: a plugin must not count on staying loaded between calls, and keeps
 * whatever it wants to remember (settings) in its own files.
 *
 * Rules:
 *  - Export the three functions under exactly these names, undecorated (use
 *    a .def file), with the __stdcall convention and 32-bit arguments.
 *  - Texts are single-byte texts in the system code page.
 *  - No memory is allocated on one side and freed on the other.
 *  - Never let a C++ exception or a longjmp leave an export.
 *  - Calls come on Tembric's user-interface thread; a plugin may show modal
 *    windows during a call.
 *
 * Item discovery: at start Tembric zero-fills one TembricPluginInfo buffer,
 * calls GetPluginInfo(buffer, 0) and reads Count, then calls GetPluginInfo
 * once for each index from 0 to Count - 1 and reads Subject, Category, Memo
 * and HasProperties after each call. The buffer is NOT cleared between
 * calls: a field the plugin does not write keeps the previous item's value.
 * A plugin offers at most TEMBRIC_MAX_PLUGIN_ITEMS items: a larger Count is
 * taken as that many (items from index TEMBRIC_MAX_PLUGIN_ITEMS on are never
 * asked for), a negative Count as none.
 */
#ifndef TEMBRIC_PLUGIN_H
#define TEMBRIC_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define TEMBRIC_PLUGIN_CALL __stdcall
#else
#define TEMBRIC_PLUGIN_CALL
#endif

/* The most items one plugin can offer. */
#define TEMBRIC_MAX_PLUGIN_ITEMS 1000

#ifdef __cplusplus
extern "C" {
#endif

/* A counted string: Text[0] is the length (0 to 255), followed by that many
 * characters. There is no terminating zero. */
typedef struct TembricCountedString {
  unsigned char Text[256];
} TembricCountedString;

/* What GetPluginInfo fills in: 776 bytes, laid out as below on every
 * compiler (natural alignment, no packing needed). */
typedef struct TembricPluginInfo {
  TembricCountedString Subject;  /* offset 0: the item's name */
  TembricCountedString Category; /* offset 256: folder below "*Plugins", parts separated
                                    by backslashes; empty for "*Plugins" itself */
  int32_t Count;                 /* offset 512: how many items the plugin offers, at most
                                    TEMBRIC_MAX_PLUGIN_ITEMS */
  TembricCountedString Memo;     /* offset 516: a description of the item */
  unsigned char HasProperties;   /* offset 772: non-zero when SetPluginProperties
                                    shows a dialog for the item */
  unsigned char Reserved[3];     /* offset 773: not read */
} TembricPluginInfo;

/* Fills `info` for the item `index` and always sets Count. */
typedef void(TEMBRIC_PLUGIN_CALL* TembricGetPluginInfoProc)(TembricPluginInfo* info, int32_t index);

/* Computes the item's content and places it on the clipboard. Return 1 to
 * have Tembric paste it (Ctrl+V) into the user's window, anything else to
 * paste nothing. Tembric's hotkeys are blocked during the call. */
typedef unsigned char(TEMBRIC_PLUGIN_CALL* TembricGetPluginResultProc)(int32_t index);

/* Lets the user configure the item, typically in a modal dialog. Called only
 * for items whose HasProperties was non-zero. */
typedef void(TEMBRIC_PLUGIN_CALL* TembricSetPluginPropertiesProc)(int32_t index);

/* Stores `text` as a counted string, cut to 255 characters. */
static inline void TembricSetCountedString(TembricCountedString* target, const char* text) {
  size_t n = 0;
  while (text[n] != '\0' && n < 255) {
    target->Text[n + 1] = (unsigned char)text[n];
    ++n;
  }
  target->Text[0] = (unsigned char)n;
}

#ifdef __cplusplus
}  // extern "C"
static_assert(offsetof(TembricPluginInfo, Subject) == 0);
static_assert(offsetof(TembricPluginInfo, Category) == 256);
static_assert(offsetof(TembricPluginInfo, Count) == 512);
static_assert(offsetof(TembricPluginInfo, Memo) == 516);
static_assert(offsetof(TembricPluginInfo, HasProperties) == 772);
static_assert(offsetof(TembricPluginInfo, Reserved) == 773);
static_assert(sizeof(TembricPluginInfo) == 776);
#else
_Static_assert(offsetof(TembricPluginInfo, Count) == 512, "TembricPluginInfo layout");
_Static_assert(offsetof(TembricPluginInfo, Memo) == 516, "TembricPluginInfo layout");
_Static_assert(offsetof(TembricPluginInfo, HasProperties) == 772, "TembricPluginInfo layout");
_Static_assert(sizeof(TembricPluginInfo) == 776, "TembricPluginInfo layout");
#endif

#endif /* TEMBRIC_PLUGIN_H */
