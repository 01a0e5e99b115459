// Device discovery: device type tables, the device datagram and the
// discovery requests and replies, the device settings record, the
// discoverer, its messages and the multi-interface front end.
#pragma once

#include "common/discover/brisel_discover.h"
#include "common/discover/device_datagram.h"
#include "common/discover/device_settings.h"
#include "common/discover/device_types.h"
#include "common/discover/discover_info.h"
#include "common/discover/multi_discover.h"
