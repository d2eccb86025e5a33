// A review sheet: a grid of captioned cells, each drawn by a function, rendered into one bitmap.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chart/canvas/canvas3d.h"
#include "platform/raster/bitmap.h"
#include "platform/raster/geometry.h"

class TSheet {
public:
    // Draws into cell of target; pixels outside the cell are clipped away.
    using CellPainter = std::function<void(tallyhouse::platform::TBitmap& target, const tallyhouse::platform::TRect& cell)>;

    TSheet(std::string title, int columns, int cellWidth, int cellHeight);

    // Starts a new row headed by a section caption.
    void Section(const std::string& caption);
    void Add(const std::string& caption, CellPainter paint);
    tallyhouse::platform::TBitmap Render() const;
    // Renders and writes <name>.png into the sheet folder (or into `folder` when given).
    std::string Write(const std::string& name, const std::string& folder = "") const;

private:
    struct Cell {
        std::string caption;
        CellPainter paint;
        bool sectionStart = false;
        std::string section;
    };
    std::string title_;
    int columns_;
    int cellWidth_;
    int cellHeight_;
    std::vector<Cell> cells_;
    std::string pendingSection_;
};

// A cell painter for canvas drawings: the canvas draws straight onto the sheet, clipped to the
// cell, with the view begun (3D or flat) and centred on `plot` (cell coordinates), depth `depth`.
struct TCanvasScene {
    bool is3D = false;
    tallyhouse::chart::TView3DOptions view;
    tallyhouse::platform::TRect plot;
    int depth = 0;
};
TSheet::CellPainter CanvasCell(TCanvasScene scene, std::function<void(tallyhouse::chart::TRasterCanvas3D&, const tallyhouse::platform::TRect& plot)> draw);
