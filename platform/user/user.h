// Everything platform/user provides.
#pragma once

#include "platform/user/message_functions.h"
#include "platform/user/user_types.h"
#include "platform/user/window_class.h"
#include "platform/user/window_object.h"
