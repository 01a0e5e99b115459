// Message boxes: layout, return values by clicks and keys, the owner.
#include "tests/platform/user/dialog_test_util.h"
