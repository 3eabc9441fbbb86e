#include "dialog/SettingsDialog.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "settings/SettingsText.h"

using platform::MessageIcon;
using settings_text::NumberInDigits;
using settings_text::TwoDigits;
using C = DialogControl;

namespace {

constexpr const char* kNoCharacter = "登場キャラクターを設定してください。";
constexpr const char* kNoMinute = "分を設定してください。";
constexpr const char* kNoHour = "時間を設定してください。";
constexpr const char* kHourRange = "入力できる値は 1 ～ 12 までです。";
constexpr const char* kMinuteRange = "入力できる値は 0 ～ 59 までです。";
constexpr const char* kTimerRange = "入力できる値は 1 ～ 999 までです。";
constexpr const char* kDigitsOnly = "入力できる値は 0 ～ 9 までの半角文字だけです。";

std::vector<std::string> CharacterNames() {
    std::vector<std::string> names;
    for (Character c : kAllCharacters) names.emplace_back(NameOf(c));
    return names;
}

const platform::Rect& Place(C control) { return dialog_layout::PlaceOf(control).rect; }

}  // namespace

SettingsDialog::SettingsDialog(Homes homes)
    : homes_(homes),
      dialog_("設定", dialog_layout::kWidth, dialog_layout::kHeight),
      ok_(dialog_.AddButton(nullptr, Place(C::kOk), "OK")),
      cancel_(dialog_.AddButton(nullptr, Place(C::kCancel), "ﾍﾍ｡! ")),
      alarmFrame_(dialog_.AddFrame(nullptr, Place(C::kAlarmFrame), "アラーム　　　")),
      am_(dialog_.AddOptionButton(&alarmFrame_, Place(C::kAm), "AM")),
      pm_(dialog_.AddOptionButton(&alarmFrame_, Place(C::kPm), "PM")),
      hourCaption_(dialog_.AddLabel(&alarmFrame_, Place(C::kHourCaption), "時")),
      hourBox_(dialog_.AddTextBox(&alarmFrame_, Place(C::kHourBox), "")),
      hourSpin_(dialog_.AddSpinControl(&alarmFrame_, Place(C::kHourSpin), 0, 16, 12)),
      minuteCaption_(dialog_.AddLabel(&alarmFrame_, Place(C::kMinuteCaption), "分")),
      minuteBox_(dialog_.AddTextBox(&alarmFrame_, Place(C::kMinuteBox), "0")),
      minuteSpin_(dialog_.AddSpinControl(&alarmFrame_, Place(C::kMinuteSpin), 0, 63, 0)),
      countdownFrame_(dialog_.AddFrame(nullptr, Place(C::kCountdownFrame), "タイマー")),
      countdownBox_(dialog_.AddTextBox(&countdownFrame_, Place(C::kCountdownBox), "0")),
      countdownSpin_(dialog_.AddSpinControl(&countdownFrame_, Place(C::kCountdownSpin), 0, 1003, 0)),
      countdownCaption_(dialog_.AddLabel(&countdownFrame_, Place(C::kCountdownCaption), "分")),
      alarmSwitch_(dialog_.AddCheckBox(&alarmFrame_, Place(C::kAlarmSwitch), "")),
      repeatGroup_(dialog_.AddFrame(&alarmFrame_, Place(C::kRepeatGroup), "", false)),
      onceOnly_(dialog_.AddOptionButton(&repeatGroup_, Place(C::kOnceOnly), "１回だけ")),
      everyDay_(dialog_.AddOptionButton(&repeatGroup_, Place(C::kEveryDay), "毎日")),
      speakerList_(dialog_.AddComboBox(nullptr, Place(C::kSpeakerList), CharacterNames())),
      stageFrame_(dialog_.AddFrame(nullptr, Place(C::kStageFrame), "登場キャラクター")),
      cycleList_(dialog_.AddComboBox(nullptr, Place(C::kCycleList), {"　５分毎", "１０分毎", "２０分毎", "６０分毎"})),
      cycleCaption_(dialog_.AddLabel(nullptr, Place(C::kCycleCaption), "アニメーションの繰り返し時")),
      speakerCaption_(dialog_.AddLabel(nullptr, Place(C::kSpeakerCaption), "アラーム、タイマーのキャラクター")),
      staysOnTop_(dialog_.AddCheckBox(nullptr, Place(C::kStaysOnTop), "常に手前に表示")) {
    for (Character c : kAllCharacters) {
        const auto control = static_cast<C>(static_cast<int>(C::kOnStage0) + IndexOf(c));
        onStage_[static_cast<std::size_t>(IndexOf(c))] =
            &dialog_.AddCheckBox(&stageFrame_, Place(control), std::string(NameOf(c)));
    }
    // The state the dialog is designed with, before any handler is attached.
    am_.SetValue(true);
    alarmSwitch_.SetValue(true);
    onceOnly_.SetValue(true);
    dialog_.SetTabOrder({&ok_,          &cancel_,    &am_,         &pm_,           &hourBox_,
                         &hourSpin_,    &minuteBox_, &minuteSpin_, &countdownBox_, &countdownSpin_,
                         &alarmSwitch_, &everyDay_,  &onceOnly_,   &speakerList_,  onStage_[0],
                         onStage_[1],   onStage_[2], onStage_[3],  onStage_[4],    &cycleList_,
                         &staysOnTop_});
    dialog_.SetDefaultButton(ok_);
    dialog_.SetCancelButton(cancel_);

    ok_.onClick = [this] { Ok(); };
    cancel_.onClick = [this] { Cancel(); };
    alarmSwitch_.onClick = [this] { SetMode(alarmSwitch_.Value()); };
    // The speaker list takes no typing: only the mouse and the arrow keys choose.
    speakerList_.onKeyPress = [](int16_t& key) { key = 0; };
    hourBox_.onChange = [this] { HourTyped(); };
    minuteBox_.onChange = [this] { MinuteTyped(); };
    countdownBox_.onChange = [this] { CountdownTyped(); };
    hourSpin_.onChange = [this] { HourSpun(); };
    minuteSpin_.onChange = [this] { MinuteSpun(); };
    countdownSpin_.onChange = [this] { CountdownSpun(); };
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::ShowModal(Homes homes) {
    auto dialog = std::make_unique<SettingsDialog>(homes);
    dialog->Load();
    dialog->ok_.SetFocus();
    dialog->dialog_.ShowModal();
}

platform::Control& SettingsDialog::ControlAt(DialogControl control) const {
    // Named pairs rather than an array in the enumeration's order: a control
    // added to the layout cannot shift the others onto the wrong place.
    const std::pair<C, platform::Control*> controls[] = {
        {C::kOk, &ok_},
        {C::kCancel, &cancel_},
        {C::kAlarmFrame, &alarmFrame_},
        {C::kAm, &am_},
        {C::kPm, &pm_},
        {C::kHourBox, &hourBox_},
        {C::kHourSpin, &hourSpin_},
        {C::kHourCaption, &hourCaption_},
        {C::kMinuteBox, &minuteBox_},
        {C::kMinuteSpin, &minuteSpin_},
        {C::kMinuteCaption, &minuteCaption_},
        {C::kAlarmSwitch, &alarmSwitch_},
        {C::kRepeatGroup, &repeatGroup_},
        {C::kOnceOnly, &onceOnly_},
        {C::kEveryDay, &everyDay_},
        {C::kCountdownFrame, &countdownFrame_},
        {C::kCountdownBox, &countdownBox_},
        {C::kCountdownSpin, &countdownSpin_},
        {C::kCountdownCaption, &countdownCaption_},
        {C::kStageFrame, &stageFrame_},
        {C::kOnStage0, onStage_[0]},
        {C::kOnStage1, onStage_[1]},
        {C::kOnStage2, onStage_[2]},
        {C::kOnStage3, onStage_[3]},
        {C::kOnStage4, onStage_[4]},
        {C::kCycleCaption, &cycleCaption_},
        {C::kCycleList, &cycleList_},
        {C::kSpeakerCaption, &speakerCaption_},
        {C::kSpeakerList, &speakerList_},
        {C::kStaysOnTop, &staysOnTop_},
    };
    for (const auto& [place, c] : controls)
        if (place == control) return *c;
    return ok_;  // kDialog is the dialog itself, not a control
}

void SettingsDialog::Load() {
    Settings& settings = homes_.settings;
    // Each step on its own: a value that does not fit leaves its control
    // as it was designed, and the next step goes on.
    countdownBox_.SetText("");
    if (auto onTop = settings.StaysOnTop()) staysOnTop_.SetValue(*onTop);
    if (auto cycle = settings.StageCycle())
        if (*cycle >= 0 && *cycle < cycleList_.ListCount()) cycleList_.SetListIndex(*cycle);
    for (Character c : kAllCharacters)
        if (auto on = settings.OnStage(c)) OnStage(c).SetValue(*on);
    (settings.AlarmIsAm() ? am_ : pm_).SetValue(true);
    if (auto hour = settings.AlarmHourInDialog()) hourSpin_.SetValue(*hour);
    hourBox_.SetText(TwoDigits(hourSpin_.Value()));
    if (auto minute = settings.AlarmMinuteInDialog()) minuteSpin_.SetValue(*minute);
    minuteBox_.SetText(TwoDigits(minuteSpin_.Value()));
    countdownSpin_.SetValue(0);
    if (auto every = settings.AlarmEveryDay(); every && *every) everyDay_.SetValue(true);
    const bool alarm = settings.AlarmArmed();
    alarmSwitch_.SetValue(alarm);
    SetMode(alarm);
    speakerList_.SetListIndex(0);
}

void SettingsDialog::SetMode(bool alarm) {
    for (platform::Control* c : std::initializer_list<platform::Control*>{
             &hourBox_, &minuteBox_, &hourSpin_, &minuteSpin_, &am_, &pm_, &onceOnly_, &everyDay_})
        c->SetEnabled(alarm);
    for (platform::Control* c :
         std::initializer_list<platform::Control*>{&countdownFrame_, &countdownBox_, &countdownSpin_})
        c->SetEnabled(!alarm);
}

void SettingsDialog::Message(const char* text, MessageIcon icon) { homes_.messages.ShowMessage(text, icon, "Tessuri"); }

bool SettingsDialog::Refuse(const char* text) {
    Message(text, MessageIcon::kInformation);
    return false;
}

std::string SettingsDialog::DigitsOnlyText(const platform::TextBox& box) {
    std::string text = box.Text();
    if (settings_text::DigitsOnly(text)) return text;
    Message(kDigitsOnly, MessageIcon::kExclamation);
    return {};
}

void SettingsDialog::NumberTyped(platform::TextBox& box, platform::SpinControl& spin, const TypedRange& range) {
    if (range.emptyReadsZero && box.Text().empty()) box.SetText("0");
    const std::string s = DigitsOnlyText(box);
    const int n = NumberInDigits(s);
    if (!s.empty() && (n < range.lowest || n > range.highest)) {
        Message(range.message, MessageIcon::kInformation);
        return;
    }
    box.SetText(s);
    if (!s.empty()) spin.SetValue(n);
}

void SettingsDialog::HourTyped() { NumberTyped(hourBox_, hourSpin_, {1, 12, kHourRange, false}); }

void SettingsDialog::MinuteTyped() { NumberTyped(minuteBox_, minuteSpin_, {0, 59, kMinuteRange, true}); }

void SettingsDialog::CountdownTyped() { NumberTyped(countdownBox_, countdownSpin_, {0, 999, kTimerRange, true}); }

void SettingsDialog::HourSpun() {
    int v = hourSpin_.Value();
    if (v == 0) return;
    if (v > 12) {
        hourSpin_.SetValue(12);
        v = 12;
    }
    hourBox_.SetText(TwoDigits(v));
}

void SettingsDialog::MinuteSpun() {
    int v = minuteSpin_.Value();
    if (v > 59) {
        minuteSpin_.SetValue(59);
        v = 59;
    }
    minuteBox_.SetText(TwoDigits(v));
}

void SettingsDialog::CountdownSpun() {
    int v = countdownSpin_.Value();
    if (v > 999) {
        countdownSpin_.SetValue(999);
        v = 999;
    }
    countdownBox_.SetText(TwoDigits(v));
}

void SettingsDialog::Cancel() { dialog_.Unload(); }

void SettingsDialog::Ok() {
    Settings& settings = homes_.settings;
    Stage& stage = homes_.stage;
    const int cycle = cycleList_.ListIndex();
    if (cycle >= 0) stage.SetCycle(static_cast<int16_t>(cycle));
    settings.WriteStageCycle(stage.Cycle());

    const bool anyCharacter = std::any_of(onStage_.begin(), onStage_.end(), [](auto* c) { return c->Value(); });
    if (!anyCharacter) {
        homes_.messages.ShowMessage(kNoCharacter, MessageIcon::kExclamation, "Marolin");
        return;
    }
    for (Character c : kAllCharacters) {
        stage.SetAllowed(c, OnStage(c).Value());
        settings.WriteOnStage(c, OnStage(c).Value());
    }
    stage.PickStageCharacter(true);

    if (!ApplyAlarmOrCountdown()) return;

    homes_.stacking.SetClockOnTop(staysOnTop_.Value());
    dialog_.Unload();
}

bool SettingsDialog::ApplyAlarmOrCountdown() {
    const bool alarm = alarmSwitch_.Value();
    if (alarm) {
        homes_.callOut.kind = CallOutKind::kAlarm;
        const std::string hour = hourBox_.Text(), minute = minuteBox_.Text();
        const int h = NumberInDigits(hour), m = NumberInDigits(minute);
        if (!hour.empty() && !minute.empty()) {
            // A number its own box refused is refused here too: an alarm
            // that can never fire must not be stored as armed.
            if (h < 1 || h > 12) return Refuse(kHourRange);
            if (m > 59) return Refuse(kMinuteRange);
            homes_.alarm.SetHour(h);
        } else if (!hour.empty()) {
            return Refuse(kNoMinute);
        } else if (!minute.empty()) {
            return m != 0 ? Refuse(kNoHour) : false;
        }
    } else {
        homes_.countdown.Start(0);  // countdown mode: any countdown ends here
        const std::string minutes = countdownBox_.Text();
        if (minutes.empty()) return Refuse(kNoMinute);
        const int n = NumberInDigits(minutes);
        if (n > 999) return Refuse(kTimerRange);
        // The minute box is stored below in this mode too.
        if (NumberInDigits(minuteBox_.Text()) > 59) return Refuse(kMinuteRange);
        homes_.countdown.Start(n);
    }
    homes_.callOut.speaker = CharacterAt(std::max(0, speakerList_.ListIndex()));
    homes_.alarm.Set({alarm, am_.Value(), std::max(0, NumberInDigits(minuteBox_.Text())), everyDay_.Value()});
    return true;
}
