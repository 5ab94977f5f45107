// The simulator world behind the Linux build's control device, for the other
// simulated services (the device tree) of the same run.
#pragma once

struct SimWorld;

// The world loaded while the control device is open, or nullptr when it is not.
SimWorld* posix_open_world();
