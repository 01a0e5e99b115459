// Resources by type and id: the registry, the Win32 resource functions and
// the string table.
#pragma once

#include "platform/base/module_handle.h"
#include "platform/resources/resource_api.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"
#include "platform/resources/string_table.h"
