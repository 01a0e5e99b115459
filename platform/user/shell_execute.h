// Handing a document to the desktop: ShellExecuteA with the "open" verb.
//
// Only web links are handed on: an http:// or https:// address without
// blanks or control characters is opened with the desktop's opener
// (xdg-open, or the program named by $TRELWIN_URL_OPENER), started directly
// with the address as its one argument; no shell ever sees the text.
// Anything else (files, other schemes, other verbs) is refused, so a text
// that a user or a device supplied can never start a program.
#pragma once

#include "platform/user/window_defs.h"

#define SE_ERR_FNF 2
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31

// A value above 32 when the opener was started; SE_ERR_NOASSOC for a
// refused text or verb, SE_ERR_FNF when the opener could not be started.
// The call does not wait for the opener.
HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd);
#define ShellExecute ShellExecuteA
