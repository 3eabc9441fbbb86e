#include "app/ClockWindow.h"

using platform::LoadPicture;
using platform::Picture;

ClockWindow::ClockWindow() : window_("Tessuri") {
    const Picture face = LoadPicture("face", kWidth, kHeight);
    window_.SetBackground(face);
    window_.SetIcon("icon");
    closePressed_ = LoadPicture("close_pressed", 52, 52);

    // In this order, each above the one before.
    sign_ = &window_.AddPictureBox(14, 12, 22, 22);
    amPm_ = &window_.AddPictureBox(36, 12, 31, 26);  // no picture until the first redraw
    digits_ = &window_.AddPictureBox(67, 12, 92, 26);
    digits_->SetPicture(face.Crop(67, 12, 92, 26));
    stage_ = &window_.AddPictureBox(9, 59, 212, 100);
    stage_->SetPicture(face.Crop(9, 59, 212, 100));
    close_ = &window_.AddPictureBox(179, 0, 52, 52);
    close_->SetPicture(LoadPicture("close_normal", 52, 52));
}
