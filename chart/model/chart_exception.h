// Chart settings out of range raise these, carrying the program's German messages.
#pragma once

#include "platform/os/exception.h"

namespace tallyhouse::chart {

class ChartException : public platform::Exception {
public:
    using platform::Exception::Exception;
};

class AxisException : public ChartException {
public:
    using ChartException::ChartException;
};

class LegendException : public ChartException {
public:
    using ChartException::ChartException;
};

class BarException : public ChartException {
public:
    using ChartException::ChartException;
};

class PieException : public ChartException {
public:
    using ChartException::ChartException;
};

}  // namespace tallyhouse::chart
