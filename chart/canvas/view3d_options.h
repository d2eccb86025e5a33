// The viewer's settings of a 3D chart: angles, offsets, zoom and the oblique/rotated choice.
#pragma once

namespace tallyhouse::chart {

struct TView3DOptions {
    int Elevation = 345;   // degrees
    int Rotation = 345;    // degrees
    int Tilt = 0;          // degrees
    int HorizOffset = 0;   // pixels the projected picture moves right
    int VertOffset = 0;    // pixels the projected picture moves down
    int Zoom = 100;        // percent
    bool Orthogonal = true;  // oblique 45-degree view when true, rotated view when false
};

}  // namespace tallyhouse::chart
