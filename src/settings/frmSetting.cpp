#include "settings/frmSetting.h"

#include <algorithm>
#include <memory>

#include "app/Application.h"
#include "app/frmClock.h"

using platform::MessageIcon;
using platform::Rect;

namespace {

Rect At(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

constexpr const char* kNames[5] = {"Rumika", "Shiore", "Yatsuha", "Pelulu", "Mazeri"};

constexpr const char* kNoCharacter = "登場キャラクターを設定してください。";
constexpr const char* kNoMinute = "分を設定してください。";
constexpr const char* kNoHour = "時間を設定してください。";
constexpr const char* kHourRange = "入力できる値は 1 ～ 12 までです。";
constexpr const char* kMinuteRange = "入力できる値は 0 ～ 59 までです。";
constexpr const char* kTimerRange = "入力できる値は 1 ～ 999 までです。";

using settings_text::TwoDigits;

// The number in a box's text of digits only; -1 when there is none, and
// 99999 for one too large for a 16-bit integer.
int NumberIn(const std::string& digits) {
    if (digits.empty()) return -1;
    long n = 0;
    for (char c : digits) {
        n = n * 10 + (c - '0');
        if (n > 32767) return 99999;
    }
    return static_cast<int>(n);
}

}  // namespace

frmSetting::frmSetting(Application& app)
    : dialog("設定", kWidth, kHeight),
      cmdOK(dialog.AddButton(nullptr, At(249, 65, 89, 22), "OK")),
      cmdCancel(dialog.AddButton(nullptr, At(249, 93, 89, 22), "ﾍﾍ｡! ")),
      Frame1(dialog.AddFrame(nullptr, At(8, 4, 216, 68), "アラーム　　　")),
      OptAP(dialog.AddOptionButton(&Frame1, At(15, 13, 38, 12), "AM")),
      OptPM(dialog.AddOptionButton(&Frame1, At(15, 30, 38, 12), "PM")),
      lblArame(dialog.AddLabel(&Frame1, At(116, 26, 12, 14), "時")),
      txtHour(dialog.AddTextBox(&Frame1, At(63, 18, 33, 21), "")),
      VSHour(dialog.AddSpinControl(&Frame1, At(96, 17, 14, 24), 0, 16, 12)),
      Label1(dialog.AddLabel(&Frame1, At(188, 27, 12, 14), "分")),
      TxtMinute(dialog.AddTextBox(&Frame1, At(136, 18, 33, 21), "0")),
      VSMinute(dialog.AddSpinControl(&Frame1, At(170, 17, 14, 24), 0, 63, 0)),
      Frame2(dialog.AddFrame(nullptr, At(229, 4, 109, 51), "タイマー")),
      txtTimer(dialog.AddTextBox(&Frame2, At(13, 19, 33, 21), "0")),
      VSTimer(dialog.AddSpinControl(&Frame2, At(48, 18, 14, 24), 0, 1003, 0)),
      Label2(dialog.AddLabel(&Frame2, At(70, 28, 12, 14), "分")),
      chkAlerm(dialog.AddCheckBox(&Frame1, At(61, 0, 17, 13), "")),
      Frame3(dialog.AddFrame(&Frame1, At(15, 48, 140, 13), "", false)),
      optEve{&dialog.AddOptionButton(&Frame3, At(0, 1, 63, 12), "１回だけ"),
             &dialog.AddOptionButton(&Frame3, At(73, 1, 63, 12), "毎日")},
      Combo1(dialog.AddComboBox(nullptr, At(125, 212, 99, 20), {kNames, kNames + 5})),
      Frame4(dialog.AddFrame(nullptr, At(8, 75, 215, 101), "登場キャラクター")),
      chkChar{},
      cmbCharTime(dialog.AddComboBox(nullptr, At(125, 181, 99, 20), {"　５分毎", "１０分毎", "２０分毎", "６０分毎"})),
      Label3(dialog.AddLabel(nullptr, At(8, 182, 94, 25), "アニメーションの繰り返し時")),
      Label4(dialog.AddLabel(nullptr, At(8, 211, 97, 35), "アラーム、タイマーのキャラクター")),
      chkTopMost(dialog.AddCheckBox(nullptr, At(9, 245, 215, 21), "常に手前に表示")),
      app_(app) {
    for (int i = 0; i < 5; ++i) chkChar[i] = &dialog.AddCheckBox(&Frame4, At(3, 16 + 16 * i, 157, 13), kNames[i]);
    // The state the dialog is designed with, before any handler is attached.
    OptAP.SetValue(true);
    chkAlerm.SetValue(true);
    optEve[0]->SetValue(true);
    dialog.SetTabOrder({&cmdOK, &cmdCancel, &OptAP, &OptPM, &txtHour, &VSHour, &TxtMinute, &VSMinute, &txtTimer,
                        &VSTimer, &chkAlerm, optEve[1], optEve[0], &Combo1, chkChar[0], chkChar[1], chkChar[2],
                        chkChar[3], chkChar[4], &cmbCharTime, &chkTopMost});
    dialog.SetDefaultButton(cmdOK);
    dialog.SetCancelButton(cmdCancel);

    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
    chkAlerm.onClick = [this] { chkAlerm_Click(); };
    Combo1.onKeyPress = [this](int16_t& key) { Combo1_KeyPress(key); };
    txtHour.onChange = [this] { txtHour_Change(); };
    TxtMinute.onChange = [this] { TxtMinute_Change(); };
    txtTimer.onChange = [this] { txtTimer_Change(); };
    VSHour.onChange = [this] { VSHour_Change(); };
    VSMinute.onChange = [this] { VSMinute_Change(); };
    VSTimer.onChange = [this] { VSTimer_Change(); };
    dialog.onQueryUnload = [this] { Form_QueryUnload(); };
}

frmSetting::~frmSetting() = default;

void frmSetting::ShowModal(Application& app) {
    auto dialog = std::make_unique<frmSetting>(app);
    dialog->Form_Load();
    dialog->cmdOK.SetFocus();
    dialog->dialog.ShowModal();
}

void frmSetting::Form_Load() {
    mdlSetting& setting = app_.setting;
    // Each step on its own: a value that does not fit leaves its control
    // as it was designed, and the next step goes on.
    txtTimer.SetText("");
    if (auto onTop = settings_text::ParseBoolean(setting.ReadSetting("Setting", "ZOrder", "False")))
        chkTopMost.SetValue(*onTop);
    if (auto cycle = settings_text::ParseInt16(setting.ReadSetting("Setting", "Event", "3")))
        if (*cycle >= 0 && *cycle < cmbCharTime.ListCount()) cmbCharTime.SetListIndex(*cycle);
    for (int i = 0; i < 5; ++i)
        if (auto on = settings_text::ParseBoolean(setting.ReadSetting("Setting", "Char" + std::to_string(i), "False")))
            chkChar[i]->SetValue(*on);
    (setting.ReadSetting("Alerm", "AMPM", "True") == "True" ? OptAP : OptPM).SetValue(true);
    if (auto hour = settings_text::ParseInt16(setting.ReadSetting("Alerm", "Hour", "01"))) VSHour.SetValue(*hour);
    txtHour.SetText(TwoDigits(VSHour.Value()));
    if (auto minute = settings_text::ParseInt16(setting.ReadSetting("Alerm", "Minute", "00")))
        VSMinute.SetValue(*minute);
    TxtMinute.SetText(TwoDigits(VSMinute.Value()));
    VSTimer.SetValue(0);
    if (auto every = settings_text::ParseBoolean(setting.ReadSetting("Alerm", "Eve", "False")); every && *every)
        optEve[1]->SetValue(true);
    const bool alarm = setting.ReadSetting("Alerm", "Enabled", "0") == "1";
    chkAlerm.SetValue(alarm);
    SetMode(alarm);
    Combo1.SetListIndex(0);
}

void frmSetting::Form_QueryUnload() {
    // The instance goes with the closing: ShowModal's caller releases it.
}

void frmSetting::SetMode(bool alarm) {
    for (platform::Control* c : std::initializer_list<platform::Control*>{
             &txtHour, &TxtMinute, &VSHour, &VSMinute, &OptAP, &OptPM, optEve[0], optEve[1]})
        c->SetEnabled(alarm);
    for (platform::Control* c : std::initializer_list<platform::Control*>{&Frame2, &txtTimer, &VSTimer})
        c->SetEnabled(!alarm);
}

void frmSetting::chkAlerm_Click() { SetMode(chkAlerm.Value()); }

void frmSetting::Combo1_KeyPress(int16_t& keyAscii) { keyAscii = 0; }

void frmSetting::Message(const char* text, MessageIcon icon) {
    app_.platform.messages.MsgBox(text, icon, "Tessuri");
}

bool frmSetting::Refuse(const char* text) {
    Message(text, MessageIcon::kInformation);
    return false;
}

void frmSetting::txtHour_Change() {
    const std::string s = app_.clock.DigitsOnlyText(txtHour);
    const int n = NumberIn(s);
    if (!s.empty() && (n < 1 || n > 12)) {
        Message(kHourRange, MessageIcon::kInformation);
        return;
    }
    txtHour.SetText(s);
    if (!s.empty()) VSHour.SetValue(n);
}

void frmSetting::TxtMinute_Change() {
    if (TxtMinute.Text().empty()) TxtMinute.SetText("0");
    const std::string s = app_.clock.DigitsOnlyText(TxtMinute);
    const int n = NumberIn(s);
    if (!s.empty() && n > 59) {
        Message(kMinuteRange, MessageIcon::kInformation);
        return;
    }
    TxtMinute.SetText(s);
    if (!s.empty()) VSMinute.SetValue(n);
}

void frmSetting::txtTimer_Change() {
    if (txtTimer.Text().empty()) txtTimer.SetText("0");
    const std::string s = app_.clock.DigitsOnlyText(txtTimer);
    const int n = NumberIn(s);
    if (!s.empty() && n > 999) {
        Message(kTimerRange, MessageIcon::kInformation);
        return;
    }
    txtTimer.SetText(s);
    if (!s.empty()) VSTimer.SetValue(n);
}

void frmSetting::VSHour_Change() {
    int v = VSHour.Value();
    if (v == 0) return;
    if (v > 12) {
        VSHour.SetValue(12);
        v = 12;
    }
    txtHour.SetText(TwoDigits(v));
}

void frmSetting::VSMinute_Change() {
    int v = VSMinute.Value();
    if (v > 59) {
        VSMinute.SetValue(59);
        v = 59;
    }
    TxtMinute.SetText(TwoDigits(v));
}

void frmSetting::VSTimer_Change() {
    int v = VSTimer.Value();
    if (v > 999) {
        VSTimer.SetValue(999);
        v = 999;
    }
    txtTimer.SetText(TwoDigits(v));
}

void frmSetting::cmdCancel_Click() { dialog.Unload(); }

void frmSetting::cmdOK_Click() {
    mdlSetting& setting = app_.setting;
    mdlAnime& anime = app_.anime;
    const int cycle = cmbCharTime.ListIndex();
    if (cycle >= 0) anime.StageInterval = static_cast<int16_t>(cycle);
    setting.WriteSetting("Setting", "Event", std::to_string(anime.StageInterval));

    const bool anyCharacter = std::any_of(chkChar.begin(), chkChar.end(), [](auto* c) { return c->Value(); });
    if (!anyCharacter) {
        app_.platform.messages.MsgBox(kNoCharacter, MessageIcon::kExclamation, "Marolin");
        return;
    }
    for (int i = 0; i < 5; ++i) {
        anime.CharEnabled[i] = chkChar[i]->Value();
        setting.WriteSetting("Setting", "Char" + std::to_string(i), settings_text::FromBoolean(chkChar[i]->Value()));
    }
    anime.PickStageCharacter(true);

    if (!ApplyAlarmOrTimer()) return;

    frmClock& clock = *app_.clockWindow;
    const bool onTop = chkTopMost.Value();
    app_.form.TopMost = onTop;  // so the stage menu's mark tells the truth
    app_.form.SetTopMost(clock.window, onTop, false);
    dialog.Unload();
}

bool frmSetting::ApplyAlarmOrTimer() {
    mdlSetting& setting = app_.setting;
    Clock& clock = app_.clock;
    frmClock& f = *app_.clockWindow;
    const bool alarm = chkAlerm.Value();
    if (alarm) {
        setting.CallOutKind = 0;
        const std::string hour = txtHour.Text(), minute = TxtMinute.Text();
        const int h = NumberIn(hour), m = NumberIn(minute);
        if (!hour.empty() && !minute.empty()) {
            // A number its own box refused is refused here too: an alarm
            // that can never fire must not be stored as armed.
            if (h < 1 || h > 12) return Refuse(kHourRange);
            if (m > 59) return Refuse(kMinuteRange);
            clock.AlarmHour = TwoDigits(h);
            setting.WriteSetting("Alerm", "Hour", clock.AlarmHour);
            f.imgAlarmTimer(0).SetPicture(f.imgAlarmTimerPicture[2]);
        } else if (!hour.empty()) {
            return Refuse(kNoMinute);
        } else if (!minute.empty()) {
            return m != 0 ? Refuse(kNoHour) : false;
        }
    } else {
        clock.StartCountdown(0);  // timer mode: any countdown ends here
        const std::string timer = txtTimer.Text();
        if (timer.empty()) return Refuse(kNoMinute);
        const int n = NumberIn(timer);
        if (n > 999) return Refuse(kTimerRange);
        // The minute box is written below in this mode too.
        if (NumberIn(TxtMinute.Text()) > 59) return Refuse(kMinuteRange);
        clock.StartCountdown(n);
    }
    setting.CallOutCharacter = static_cast<int16_t>(std::max(0, Combo1.ListIndex()));
    const std::string enabled = alarm ? "1" : "0";
    setting.WriteSetting("Alerm", "Enabled", enabled);
    clock.AlarmAM = settings_text::FromBoolean(OptAP.Value());
    setting.WriteSetting("Alerm", "AMPM", clock.AlarmAM);
    clock.AlarmMinute = TwoDigits(std::max(0, NumberIn(TxtMinute.Text())));
    setting.WriteSetting("Alerm", "Minute", clock.AlarmMinute);
    setting.WriteSetting("Alerm", "Enabled", enabled);
    clock.AlarmEnabled = enabled;
    f.tmrAlerm->SetEnabled(alarm);
    clock.AlarmFiredDay.clear();
    clock.AlarmEveryDay = optEve[1]->Value();
    setting.WriteSetting("Alerm", "Eve", settings_text::FromBoolean(clock.AlarmEveryDay));
    return true;
}
