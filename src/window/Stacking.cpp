#include "window/Stacking.h"

void Stacking::SetClockOnTop(bool onTop) {
    clockOnTop_ = onTop;
    clockWindow_.SetStaysOnTop(onTop);
    settings_.WriteStaysOnTop(onTop);
}

void Stacking::LowerClockForDialog() { clockWindow_.SetStaysOnTop(false); }
