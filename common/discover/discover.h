// Device discovery: device type tables, the device datagram and the
// discovery requests and replies, the device settings record.
#pragma once

#include "common/discover/device_datagram.h"
#include "common/discover/device_settings.h"
#include "common/discover/device_types.h"
