// Where the registry files live.
#pragma once

#include <string>

namespace trelwin::registry {

// $TRELWIN_REGISTRY_DIR when set, else $XDG_CONFIG_HOME/BriselTrelwin, else
// ~/.config/BriselTrelwin. Read anew at each call.
std::string RegistryFolder();

// Creates the folder and its missing parents (mode 0700). False on failure.
bool MakeFolders(const std::string& path);

}  // namespace trelwin::registry
