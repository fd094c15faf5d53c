/* The calls between Tembric.exe and its companion library tmgui.dll (the
 * options dialog and the about box). Plain C, included by both
 * sides: the program fills these structs for the length of one call, the
 * library reads them and never keeps a pointer after it returns. Nothing
 * but the documented result crosses the boundary: the library catches
 * everything inside.
 *
 * Both entries use the stdcall convention and are exported without
 * decoration, under the names TMGUI_SHOW_OPTIONS and TMGUI_SHOW_ABOUT. */
#ifndef TEMBRIC_TMGUI_API_H
#define TEMBRIC_TMGUI_API_H

#ifdef __cplusplus
extern "C" {
#endif

#ifdef _WIN32
#define TMGUI_CALL __stdcall /* x64 has one convention and ignores it */
#else
#define TMGUI_CALL
#endif

#define TMGUI_LIBRARY_NAME "tmgui.dll"
#define TMGUI_SHOW_OPTIONS "ShowOptions"
#define TMGUI_SHOW_ABOUT "ShowAbout"

/* The struct's version: a library refuses a struct whose `size` is smaller
 * than the one it was built with. */
#define TMGUI_MAIN_WINDOW_SIZE ((unsigned)sizeof(struct TmGuiMainWindow))

/* The main window (TForm1) as the library sees it. Every text is
 * NUL-terminated, in the system's ANSI code page, and never null. */
typedef struct TmGuiMainWindow {
  unsigned size;            /* sizeof(TmGuiMainWindow) */
  const char* settingsPath; /* the settings file, full path */
  const char* programName;  /* "Tembric" */
  const char* versionText;  /* the executable's version, "1.2.0.0" */
  const char* showHotkey;   /* Hot keys/Show as the program reads it ("Ctrl+Alt+Z") */
  const char* newHotkey;    /* Hot keys/New as the program reads it ("Ctrl+Alt+N") */
} TmGuiMainWindow;

/* UsedHotKeys: the ShortCut texts of the records that have one. */
typedef struct TmGuiHotKeyList {
  unsigned count;
  const char* const* items; /* `count` texts; null when count is 0 */
} TmGuiHotKeyList;

/* ShowOptions(application window, main window, UsedHotKeys): shows the
 * options dialog modally and returns 1 when it wrote changed settings to the
 * settings file, 0 otherwise (Cancel, Esc, nothing changed, or a failure). */
typedef int(TMGUI_CALL* TmGuiShowOptionsProc)(void* applicationWindow, const TmGuiMainWindow* mainWindow,
                                              const TmGuiHotKeyList* usedHotKeys);

/* ShowAbout(application window, main window, reserved): shows the about box
 * modally; `reserved` is 0. */
typedef void(TMGUI_CALL* TmGuiShowAboutProc)(void* applicationWindow, const TmGuiMainWindow* mainWindow,
                                             const void* reserved);

#ifdef __cplusplus
}
#endif

#endif
