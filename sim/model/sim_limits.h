// The size of the simulated driver's device table. The Linux build has room for
// the large SANs of the benchmarks; the test driver keeps its world small enough
// for a kernel image's static data.
#pragma once

#ifndef SIM_DEVICE_SLOTS
#define SIM_DEVICE_SLOTS 1024
#endif
