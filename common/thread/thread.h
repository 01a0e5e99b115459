// Everything common/thread provides.
#pragma once

#include "common/thread/win_thread.h"
