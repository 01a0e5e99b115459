// Which devices an update package is for: from the device type the package
// carries, or, when that names no family, from keywords in its file name.
#pragma once

#include "app/wizard_state.h"

// Sets the sheet's family, expected device type, family-package and
// sub-family flags (and test mode for a "lantest" name) for the package at
// strPath whose contents gave typeId (-1: no type). Returns the family; 0
// means the file is not an update file, and then only the fields above may
// have changed.
int ChoosePackageFamily(CWizardState& sheet, const CString& strPath, int typeId);
