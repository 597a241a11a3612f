// Whether anyone can see the windows of this program: not in a window station without a display,
// such as the services' session, where deployment agents run as the local system account.
#pragma once
#include <cstdint>

// From what the system told: whether the machine is of the NT family (the 9x family has one
// visible station), whether the station's flags could be had, and the flags (UOI_FLAGS). What
// cannot be told counts as visible.
bool IsStationVisibleFrom(bool ntMachine, bool haveFlags, uint32_t flags);
bool IsWindowStationVisible();
