// The clock window: a borderless, shaped 230 x 170 face with the time, the
// alarm/countdown sign, the stage and the CLOSE corner.  This is the view
// only; Program gives its areas their behaviour.
#pragma once

#include "platform/Form.h"
#include "platform/Picture.h"

class ClockWindow {
public:
    static constexpr int kWidth = 230;
    static constexpr int kHeight = 170;

    ClockWindow();

    platform::Form& Window() { return window_; }
    platform::PictureBox& Sign() { return *sign_; }
    platform::PictureBox& AmPm() { return *amPm_; }
    platform::PictureBox& Digits() { return *digits_; }
    platform::PictureBox& StageArea() { return *stage_; }
    platform::PictureBox& CloseButton() { return *close_; }
    // The CLOSE corner as it looks while the mouse holds it.
    void ShowClosePressed() { close_->SetPicture(closePressed_); }

private:
    platform::Form window_;
    platform::Picture closePressed_;
    platform::PictureBox* sign_ = nullptr;
    platform::PictureBox* amPm_ = nullptr;
    platform::PictureBox* digits_ = nullptr;
    platform::PictureBox* stage_ = nullptr;
    platform::PictureBox* close_ = nullptr;
};
