// The small icons of the open-file dialog's list, made at run time.
#pragma once

#include "platform/gdi/image_list.h"

namespace trelwin::commctrl::filedialog {

constexpr int kFolderIcon = 0;
constexpr int kFileIcon = 1;
constexpr int kBrokenLinkIcon = 2;

// A new 16x16 image list with the three icons at the indices above; the
// caller owns it. Null when it cannot be made.
HIMAGELIST MakeFileIcons();

}  // namespace trelwin::commctrl::filedialog
