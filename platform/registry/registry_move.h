// Moving a key with its whole tree from one root to another, for settings
// that older versions kept under HKEY_LOCAL_MACHINE: one read and one write
// of each root's file, however many values the tree holds.
#pragma once

#include "platform/registry/win_registry.h"

namespace trelwin::registry {

enum class EmptyValues { Copy, Skip };

// Copies the key sourceRoot\path (its values, and its subkeys with theirs at
// every depth) to destRoot\path, making the keys that are missing there:
// values of the same name are replaced (keeping the case of their name),
// other values and subkeys already there stay. Values without data are
// copied or left out as `empty` says. Then deletes the source key with its
// tree; handles open on it fail afterwards with ERROR_KEY_DELETED.
//
// Both roots' files are locked together; the destination is saved first and
// the source only when that succeeded, so a failed copy leaves the source
// where it was. A key never moves into its own tree, and a root itself
// (an empty path) is copied but not deleted.
//
// Results: ERROR_SUCCESS when the key was moved; the code of opening the
// source (ERROR_FILE_NOT_FOUND when it does not exist) with nothing changed;
// any other code when the source exists but stays. *found tells whether the
// source key existed.
LONG MoveKeyTree(HKEY sourceRoot, HKEY destRoot, LPCSTR path, EmptyValues empty, bool* found);

}  // namespace trelwin::registry
