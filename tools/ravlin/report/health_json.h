// The members of one device's verdict in the machine output of health and what-if.
#pragma once

#include "health_verdict.h"
#include "json_writer.h"

// Writes "verdict", the path counts ("unknown_target_port_paths" too when
// `with_ports`) and "reasons" into the object open on `w`.
void write_health_members(JsonWriter* w, const DeviceHealth* h, bool with_ports);
