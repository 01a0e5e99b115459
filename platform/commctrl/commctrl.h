// Everything platform/commctrl provides: the built-in controls.
#pragma once

#include "platform/commctrl/control_classes.h"
#include "platform/commctrl/button.h"
#include "platform/commctrl/edit.h"
#include "platform/commctrl/static.h"
#include "platform/commctrl/notify.h"
#include "platform/commctrl/header.h"
#include "platform/commctrl/list_view.h"
