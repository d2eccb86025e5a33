// Far more bars, pie slices or marks than a chart has pixels put runs of them on the same pixels,
// and of such a run only the last drawn can be seen: bars, the slices of a 3D pie and marks skip
// the others. Always on in the program; tests turn it off to show that the pictures stay the same.
#pragma once

namespace tallyhouse::chart {

inline bool SkipCoveredDrawings = true;

}  // namespace tallyhouse::chart
