#pragma once
// The program folder's serial port map file, "MxComPorts.cfg": its lines override the
// default device of each COM port (see platform/serial_port_map.h).

#include <QString>

#include "platform/serial_port_map.h"

inline constexpr char ComPortMapFile[] = "MxComPorts.cfg";

// Applies "MxComPorts.cfg" in the folder to the map, if there is one. True when the
// file was there and read; false when there is none (the map stays as it was) or when
// it cannot be read or is not a regular file (nothing changes, and nothing waits).
bool LoadComPortMap(ComPortMap& map, const QString& folder);
