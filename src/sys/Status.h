// What the numbers that the layers answer with mean, named in the types, so that a signature says
// which it gives. The rest answer with bool (done or not) or with a string that is empty when
// there is nothing to give.
#pragma once
#include <cstdint>

// A Windows error code: 0 (ERROR_SUCCESS) when the call did what it was asked.
using TWinError = uint32_t;
// A removal's answer: 0 when the thing is gone or was never there; otherwise a Windows error, or
// one of the refusals that name why nothing was done (kRemovalThroughLink and its kin).
using TRemovalError = uint32_t;
// A step's or a run's result: 0; a text identifier of the catalogue (msg/Msgids.h: msgCancel,
// msgAllocFail, and those from msgFirstOwn on), shown as that text; or a Windows error, below the
// catalogue's identifiers, shown as the system's text for it.
using TRunResult = int32_t;
