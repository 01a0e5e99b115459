// Everything platform/base provides.
#pragma once

#include "platform/base/array.h"
#include "platform/base/cstring.h"
#include "platform/base/exceptions.h"
#include "platform/base/file.h"
#include "platform/base/last_error.h"
#include "platform/base/map.h"
#include "platform/base/mem_file.h"
#include "platform/base/object.h"
#include "platform/base/win_errors.h"
#include "platform/base/win_types.h"
