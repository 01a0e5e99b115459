// Registry functions kept in REGEDIT4 text files.
#pragma once

#include "platform/registry/win_registry.h"
