// Everything platform/commctrl provides: the built-in controls.
#pragma once

#include "platform/commctrl/control_classes.h"
#include "platform/commctrl/button.h"
#include "platform/commctrl/static.h"
