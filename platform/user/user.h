// Everything platform/user provides.
#pragma once

#include "platform/user/caret.h"
#include "platform/user/cursors.h"
#include "platform/user/geometry.h"
#include "platform/user/images.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/modal_loop.h"
#include "platform/user/painting.h"
#include "platform/user/scroll_bars.h"
#include "platform/user/system_metrics.h"
#include "platform/user/timers.h"
#include "platform/user/user_types.h"
#include "platform/user/window_class.h"
#include "platform/user/window_defs.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"
