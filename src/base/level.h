#pragma once
// Level mapping shared by master, tracks and sends: a slider value v in 0..1 stands
// for 52*v - 40 dB (-40 dB .. +12 dB, 0 dB at v = 40/52).

namespace quillon::level {

inline constexpr double kUnitySlider = 40.0 / 52.0;
inline constexpr double kSilenceDb = -144.0;

double sliderToDb(double v);
double dbToSlider(double db);
double sliderToGain(double v);
// A gain of 0 (or below) is taken as -144 dB.
double gainToSlider(double gain);
double dbToGain(double db);
double gainToDb(double gain);

} // namespace quillon::level
