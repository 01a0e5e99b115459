// Moving a registry tree from one root to another: settings that older
// versions kept under HKEY_LOCAL_MACHINE follow the user.
#pragma once

#include "platform/base/cstring.h"
#include "platform/registry/registry.h"

// Moves the key parentPath + keyName (its values of every type and size that
// hold data, and all subkeys with theirs) from sourceRoot to the same path
// under destRoot, over what is there: values of the same name are replaced,
// the others stay. Values without data are not copied. The source is
// deleted only after the whole tree was saved in its new place; when that
// fails it stays where it was. Returns 1 when the source key existed, 0 when
// it could not be opened (then nothing is created). Reads and writes each
// root once, whatever the size of the tree.
int MoveRegistryKey(HKEY sourceRoot, HKEY destRoot, const CString& parentPath, const CString& keyName);

// Copies every value that holds data of the open key source into
// destRoot\path, creating that key. TRUE when the key was created and every
// value read (and those with data written).
BOOL CopyRegistryValues(HKEY source, const CString& path, HKEY destRoot);

// Copies every subkey of the open key source, with its values and subkeys,
// to destRoot\path\<subkey>. name is scratch space for one key name (at
// least MAX_REG_KEY_NAME + 1 bytes). Returns ERROR_NO_MORE_ITEMS when the
// whole tree was copied, else the code of the first failure.
LONG CopyRegistrySubkeys(HKEY source, const CString& path, HKEY destRoot, char* name);
