// Where each control of the settings dialog sits: one table, read by the
// dialog as it builds itself and by the tests that check that every control
// fits its container and no two overlap.
#pragma once

#include <array>
#include <string_view>

#include "platform/Types.h"

enum class DialogControl {
    kDialog,  // the dialog itself: the container of the top level
    kOk,
    kCancel,
    kAlarmFrame,
    kAm,
    kPm,
    kHourBox,
    kHourSpin,
    kHourCaption,
    kMinuteBox,
    kMinuteSpin,
    kMinuteCaption,
    kAlarmSwitch,  // the check box on the alarm frame's border
    kRepeatGroup,  // once only or every day, without a border
    kOnceOnly,
    kEveryDay,
    kCountdownFrame,
    kCountdownBox,
    kCountdownSpin,
    kCountdownCaption,
    kStageFrame,
    kOnStage0,  // one check box per character, in their order
    kOnStage1,
    kOnStage2,
    kOnStage3,
    kOnStage4,
    kCycleCaption,
    kCycleList,
    kSpeakerCaption,
    kSpeakerList,
    kStaysOnTop,
};

struct ControlPlace {
    DialogControl control;
    DialogControl container;
    platform::Rect rect;  // in the container's pixels
    std::string_view name;
};

namespace dialog_layout {

constexpr int kWidth = 343;
constexpr int kHeight = 285;

// Every control but the dialog, containers before what they hold.
extern const std::array<ControlPlace, 30> kPlaces;

const ControlPlace& PlaceOf(DialogControl control);

}  // namespace dialog_layout
