// The per-user folders where the program keeps what it writes besides its
// settings (the settings themselves live in the registry files).
#pragma once

#include "platform/base/cstring.h"

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else
// $HOME/.local/share; "" when neither is known. The folder may not exist.
CString GetUserDataFolder();

// Creates the folder and every missing parent ('/' separates them). TRUE
// when the folder exists afterwards; FALSE with the last error set.
BOOL CreateFolderPath(LPCSTR lpszPath);
