// System message texts for error codes, and the local heap that returns
// buffers allocated for them.
#pragma once

#include "platform/base/win_types.h"

#include <cstdarg>

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000u
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FFu

#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

#define LMEM_FIXED 0x0000u
#define LMEM_ZEROINIT 0x0040u
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

// Supports FORMAT_MESSAGE_FROM_SYSTEM (texts in English whatever the
// language) with or without FORMAT_MESSAGE_ALLOCATE_BUFFER; inserts are
// never expanded. Known codes are the ERROR_* codes of win_errors.h and the
// codes made from errno values. Returns the length of the text, or 0 with
// the last error set (ERROR_MR_MID_NOT_FOUND for a code without text) and
// no buffer allocated. With FORMAT_MESSAGE_ALLOCATE_BUFFER, lpBuffer is an
// LPSTR* that receives a buffer to release with LocalFree.
DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                     DWORD nSize, va_list* Arguments);
#define FormatMessage FormatMessageA

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes);
// NULL on success.
HLOCAL LocalFree(HLOCAL hMem);
