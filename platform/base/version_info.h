// Version information of the program's own executable, made from the
// build's version (the top-level project version). Other files have none.
#pragma once

#include "platform/base/win_types.h"

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VS_FFI_FILEFLAGSMASK 0x0000003Fu
#define VOS_UNKNOWN 0x00000000u
#define VFT_APP 0x00000001u

typedef struct tagVS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

// The size of the block for lptstrFilename (0 with the last error set when
// the file has no version information); *lpdwHandle is set to 0.
DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle);
// Copies the block into lpData; FALSE when dwLen is smaller than the size.
BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
// Points into the block: "\\" gives the VS_FIXEDFILEINFO,
// "\\VarFileInfo\\Translation" the language and code page words, and
// "\\StringFileInfo\\040904b0\\<Name>" a text (length counts the NUL) for
// FileVersion, ProductVersion, ProductName, FileDescription, InternalName
// and OriginalFilename.
BOOL VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen);
#define GetFileVersionInfoSize GetFileVersionInfoSizeA
#define GetFileVersionInfo GetFileVersionInfoA
#define VerQueryValue VerQueryValueA

// Replaces the version the program reports, so that tests can show other
// versions or a block without fixed information; NULL restores the build's.
struct ProgramVersion {
    WORD wMajor;
    WORD wMinor;
    WORD wPatch;
    WORD wTweak;
    BOOL bHasFixedInfo;
};
void SetProgramVersion(const ProgramVersion* pVersion);
