// Device descriptions of the stand-in, one device a line:
//
//   ADDRESS [type=N] [version=TEXT] [name=TEXT] [status=TEXT]
//           [version-reply=yes|no] [settings-reply=yes|no] [silent=yes|no]
//
// A value with blanks is written in double quotes (name="Encoder 1").
// Blank lines and lines starting with '#' are skipped.
#pragma once

#include <string>
#include <vector>

#include "tools/device_standin/standin_device.h"
#include "tools/device_standin/standin_update.h"

struct StandinDeviceLine {
    StandinDeviceProfile profile;
    StandinFaults faults;
    StandinUpdateProfile update;  // the update side's keys (standin_update.h)
};

// A switch's value: "yes", "1" or "true"; "no", "0" or "false". False for
// anything else.
bool ParseStandinFlag(const std::string& text, bool& out);

// Parses one description; false with a message for bad input.
bool ParseStandinDeviceLine(const std::string& line, StandinDeviceLine& device, std::string& error);

// Reads every description of a file; false with a message naming the line.
bool LoadStandinDeviceFile(const std::string& path, std::vector<StandinDeviceLine>& devices, std::string& error);
