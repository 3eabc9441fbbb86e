#include "dialog/DialogLayout.h"

#include <algorithm>

namespace dialog_layout {
namespace {

constexpr platform::Rect At(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

using C = DialogControl;

}  // namespace

const std::array<ControlPlace, 30> kPlaces{{
    {C::kOk, C::kDialog, At(249, 65, 89, 22), "OK"},
    {C::kCancel, C::kDialog, At(249, 93, 89, 22), "cancel"},
    {C::kAlarmFrame, C::kDialog, At(8, 4, 216, 68), "alarm frame"},
    {C::kAm, C::kAlarmFrame, At(15, 13, 38, 12), "AM"},
    {C::kPm, C::kAlarmFrame, At(15, 30, 38, 12), "PM"},
    {C::kHourCaption, C::kAlarmFrame, At(116, 26, 12, 14), "hour caption"},
    {C::kHourBox, C::kAlarmFrame, At(63, 18, 33, 21), "hour box"},
    {C::kHourSpin, C::kAlarmFrame, At(96, 17, 14, 24), "hour spin"},
    {C::kMinuteCaption, C::kAlarmFrame, At(188, 27, 12, 14), "minute caption"},
    {C::kMinuteBox, C::kAlarmFrame, At(136, 18, 33, 21), "minute box"},
    {C::kMinuteSpin, C::kAlarmFrame, At(170, 17, 14, 24), "minute spin"},
    {C::kCountdownFrame, C::kDialog, At(229, 4, 109, 51), "countdown frame"},
    {C::kCountdownBox, C::kCountdownFrame, At(13, 19, 33, 21), "countdown box"},
    {C::kCountdownSpin, C::kCountdownFrame, At(48, 18, 14, 24), "countdown spin"},
    {C::kCountdownCaption, C::kCountdownFrame, At(70, 28, 12, 14), "countdown caption"},
    {C::kAlarmSwitch, C::kAlarmFrame, At(61, 0, 17, 13), "alarm switch"},
    {C::kRepeatGroup, C::kAlarmFrame, At(15, 48, 140, 13), "repeat group"},
    {C::kOnceOnly, C::kRepeatGroup, At(0, 1, 64, 12), "once only"},
    {C::kEveryDay, C::kRepeatGroup, At(73, 1, 63, 12), "every day"},
    {C::kSpeakerList, C::kDialog, At(125, 212, 99, 20), "speaker list"},
    {C::kStageFrame, C::kDialog, At(8, 75, 215, 101), "stage frame"},
    {C::kCycleList, C::kDialog, At(125, 181, 99, 20), "cycle list"},
    {C::kCycleCaption, C::kDialog, At(8, 182, 94, 25), "cycle caption"},
    {C::kSpeakerCaption, C::kDialog, At(8, 211, 99, 34), "speaker caption"},
    {C::kStaysOnTop, C::kDialog, At(9, 245, 215, 21), "stays on top"},
    {C::kOnStage0, C::kStageFrame, At(3, 16, 157, 13), "Rumika"},
    {C::kOnStage1, C::kStageFrame, At(3, 32, 157, 13), "Shiore"},
    {C::kOnStage2, C::kStageFrame, At(3, 48, 157, 13), "Yatsuha"},
    {C::kOnStage3, C::kStageFrame, At(3, 64, 157, 13), "Pelulu"},
    {C::kOnStage4, C::kStageFrame, At(3, 80, 157, 13), "Mazeri"},
}};

const ControlPlace& PlaceOf(DialogControl control) {
    return *std::find_if(kPlaces.begin(), kPlaces.end(), [&](const ControlPlace& p) { return p.control == control; });
}

}  // namespace dialog_layout
