// Everything common/base provides.
#pragma once

#include "common/base/address_helpers.h"
#include "common/base/collection.h"
#include "common/base/exception_base.h"
#include "common/base/exception_report.h"
#include "common/base/registry_helpers.h"
#include "common/base/smart_ptr.h"
