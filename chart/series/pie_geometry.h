// The pure geometry of pies: the ellipse from a rectangle, slice angles, positions on the rim,
// grouping of small slices and the drawing order of a 3D pie with a pulled-out slice.
#pragma once

#include <vector>

#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

enum TPieOtherStyle { poNone, poBelowPercent, poBelowValue };

// Angles in radians, counter-clockwise from 3 o'clock, without the series' rotation.
struct TPieAngle {
    double StartAngle = 0;
    double MidAngle = 0;
    double EndAngle = 0;
};

// The ellipse a round series draws in: bounding rectangle, size, centre and radii.
struct TCircle {
    platform::TRect CircleRect;
    int CircleWidth = 0;
    int CircleHeight = 0;
    int XCenter = 0;
    int YCenter = 0;
    int XRadius = 0;
    int YRadius = 0;
};

// Makes width and height even and at least 4, then derives size and centre.
TCircle AdjustCircle(platform::TRect rect);

// Radii from the size (or from fixed radii when not 0); the rectangle is rebuilt around the centre.
TCircle WithRadii(TCircle circle, int customXRadius, int customYRadius);

// The adjusted plot rectangle less the room the marks need above/below and left/right.
TCircle CircleInPlot(platform::TRect plot, int markRoomVertical, int markRoomHorizontal);

// Shrinks the longer side so the ellipse is round on a display whose pixels are aspect times as
// wide as high.
TCircle MakeRound(TCircle circle, double aspect, int customXRadius, int customYRadius);

// A rim point: (x + round(cos a * rx), y - round(sin a * ry)), a already including the rotation.
platform::TPoint EllipsePoint(int xCenter, int yCenter, double angle, int xRadius, int yRadius);

// One angle per value; grouped points take no width. total is the sum the angles divide.
std::vector<TPieAngle> PieAngles(const std::vector<double>& values, const std::vector<bool>& grouped,
                                 double total);

// Which points fall into the other slice, and their sum.
struct TOtherSlice {
    std::vector<bool> Grouped;
    double Sum = 0;
};
TOtherSlice GroupSmallSlices(const std::vector<double>& values, TPieOtherStyle style, double threshold,
                             double total);

// Point indexes first..last ordered by how near their middle lies to 12 o'clock, nearest first.
std::vector<int> SlicesByDistanceFromTop(const std::vector<TPieAngle>& angles, double rotation, int first,
                                         int last);

// The rectangle shrunk by half the offset of a slice pulled out by percent at midAngle (rotation
// included), on each side.
platform::TRect ShrinkForExplodedSlice(platform::TRect rect, int xRadius, int yRadius, int percent, double midAngle);

}  // namespace tallyhouse::chart
