// Everything platform/commctrl provides: the built-in controls.
#pragma once

#include "platform/commctrl/control_classes.h"
#include "platform/commctrl/button.h"
#include "platform/commctrl/edit.h"
#include "platform/commctrl/static.h"
#include "platform/commctrl/notify.h"
#include "platform/commctrl/header.h"
#include "platform/commctrl/list_view.h"
#include "platform/commctrl/list_box.h"
#include "platform/commctrl/combo_box.h"
#include "platform/commctrl/up_down.h"
#include "platform/commctrl/menu.h"
#include "platform/commctrl/property_sheet.h"
#include "platform/commctrl/file_dialog.h"
