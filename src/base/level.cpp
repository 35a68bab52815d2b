#include "base/level.h"

#include <cmath>

namespace quillon::level {

double sliderToDb(double v) { return 52.0 * v - 40.0; }
double dbToSlider(double db) { return (db + 40.0) / 52.0; }
double sliderToGain(double v) { return dbToGain(sliderToDb(v)); }
double gainToSlider(double gain) { return dbToSlider(gainToDb(gain)); }
double dbToGain(double db) { return std::pow(10.0, db * 0.05); }
double gainToDb(double gain) { return gain > 0.0 ? 20.0 * std::log10(gain) : kSilenceDb; }

} // namespace quillon::level
