// TCircledSeries: the base of round series: the ellipse from the plot rectangle, angles to pixels,
// and the chart without axes, walls and frame while a round series is active on it.
#pragma once

#include <functional>

#include "chart/model/chart_series.h"
#include "chart/series/pie_geometry.h"

namespace tallyhouse::chart {

// The ellipse of the current draw is the TCircle base: CircleRect, CircleWidth, CircleHeight,
// XCenter, YCenter, XRadius and YRadius.
class TCircledSeries : public TChartSeries, public TCircle {
public:
    TCircledSeries();

    platform::TColor CircleBackColor = platform::AutoColor;

    bool Circled() const { return circled_; }
    void SetCircled(bool value);
    int RotationAngle() const { return rotationAngle_; }
    void SetRotationAngle(int value);
    int CustomXRadius() const { return customXRadius_; }
    void SetCustomXRadius(int value);
    int CustomYRadius() const { return customYRadius_; }
    void SetCustomYRadius(int value);

    double RotationRadians() const;

    bool UsesAxis(const TCustomChartAxis&) const override { return false; }
    bool UsesAxes() const override { return false; }
    void BeginDrawPoints() override;
    void SetActive(bool value) override;
    void SetParentChart(TCustomChart* chart) override;
    // A round series never changes the ranges of its chart's axes.
    double HighestX() const override;
    double HighestY() const override;
    double LowestX() const override;
    double LowestY() const override;

    // The rim point at angle (rotation added) of an ellipse with the given radii.
    platform::TPoint AngleToPos(double angle, int xRadius, int yRadius) const;
    platform::TColor CircleBackColorResolved() const;

protected:
    void SetCircle(const TCircle& circle);

private:
    // Room the marks take around the ellipse: above and below, left and right.
    int MarkRoomVertical();
    int MarkRoomHorizontal();
    // Switches the chart's axes, walls, frame and clipping off while a round series is active on
    // it, on again otherwise, and sets the 3D view the raster canvas can draw.
    static void AdjustChart(TCustomChart& chart);
    // Passes a circle setting on to the other round series of this kind on the chart.
    void ForOtherRoundSeries(const std::function<void(TCircledSeries&)>& apply);

    bool circled_ = false;
    int rotationAngle_ = 0;
    int customXRadius_ = 0;
    int customYRadius_ = 0;
};

}  // namespace tallyhouse::chart
