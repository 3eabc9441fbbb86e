#include "countdown/Countdown.h"

#include "voice/ClipCatalogue.h"

Countdown::Countdown(platform::SystemClock& clock, platform::EventPump& pump, Voice& voice, Clock onClock,
                     CallOut& callOut, CallOutChoice& choice)
    : clock_(clock),
      pump_(pump),
      voice_(voice),
      onClock_(std::move(onClock)),
      callOut_(callOut),
      choice_(choice),
      timer_(pump.CreateTimer(kCheckMs, [this] { Check(); })) {}

void Countdown::Start(int32_t minutes) {
    choice_.kind = CallOutKind::kCountdown;
    deadline_.reset();
    if (minutes <= 0) return;
    // In 64 bits no sum made with the tick count can overflow or wrap.
    deadline_ = static_cast<int64_t>(clock_.TickCount()) + int64_t{minutes} * 60 * 1000;
    timer_->SetEnabled(true);
    onClock_.sign.ShowSign(Sign::kCountdown);
}

void Countdown::Check() {
    if (!deadline_) return;
    if (static_cast<int64_t>(clock_.TickCount()) < *deadline_ - kEarlyStartMs) return;

    timer_->SetEnabled(false);
    voice_.OpenAndPlay(clips::CountdownLine(choice_.speaker));
    // The line plays while the face and the stage go on.
    while (voice_.IsPlaying().value_or(false)) {
        onClock_.face.UpdateClockDisplay();
        onClock_.stage.AnimateStage();
        pump_.Sleep(kLinePollMs);
    }
    timer_->SetEnabled(false);
    callOut_.Present(choice_);
    onClock_.showRestingSign();
}
