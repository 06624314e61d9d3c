#include "app/qt/form_settings.h"

#include <QLineEdit>
#include <QStyle>

#include "platform/ini_file.h"
#include "ui_form_settings.h"

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TFormSettings::TFormSettings(FormSettingsContext context, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TFormSettings>()),
      context_(std::move(context)),
      timer1_(context_.timers.CreateTimer()) {
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // The up-downs' own edits carry the edits' names.
    ui_->UpDwTimeSaveFile->findChild<QLineEdit*>()->setObjectName(QStringLiteral("Edit2"));
    Edit2().setToolTip(ui_->UpDwTimeSaveFile->toolTip());
    ui_->UpDown1->findChild<QLineEdit*>()->setObjectName(QStringLiteral("EditTimSound"));
    ui_->SpBtnPlayAlarm->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));

    timer1_->SetTickHandler([this] { Timer1Timer(); });
    connect(ui_->UpDwTimeSaveFile, &QSpinBox::textChanged, this, [this] { Edit2Change(); });
    connect(ui_->ChBoxSignalOffData, &QCheckBox::clicked, this,
            [this] { ChBoxSignalOffDataClick(); });
    connect(ui_->SpBtnFileAlarmSound, &QToolButton::clicked, this,
            [this] { SpBtnFileAlarmSoundClick(); });
    connect(ui_->SpBtnPlayAlarm, &QToolButton::clicked, this, [this] { SpBtnPlayAlarmClick(); });
    connect(ui_->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    FormCreate();
}

TFormSettings::~TFormSettings() {
    // A tick must not reach a half-destroyed dialog.
    timer1_->SetTickHandler({});
    timer1_->Stop();
}

QLineEdit& TFormSettings::Edit2() {
    return *ui_->UpDwTimeSaveFile->findChild<QLineEdit*>();
}

QLineEdit& TFormSettings::EditTimSound() {
    return *ui_->UpDown1->findChild<QLineEdit*>();
}

void TFormSettings::FormCreate() {
    opened_ = settings_dialog::Open(platform::IniFile(context_.config_path), context_.autorun,
                                    context_.window);
    if (context_.take_period) context_.take_period(opened_.keys.AutosaveMinutes);
    ShowState(opened_);
    Edit2Change();
}

void TFormSettings::ShowState(const settings_dialog::DialogState& state) {
    const config::SettingsDialogKeys& k = state.keys;
    ui_->ChBoxAutorun->setChecked(state.Autorun);
    ui_->ChBoxOpenComStart->setChecked(k.OpenStart);
    ui_->ChBoxSignalOffData->setChecked(k.SignalOffData);
    ui_->SignalOffDataSound->setChecked(k.SignalOffDataSound);
    ui_->SignalOffDataSound->setEnabled(settings_dialog::SoundBoxEnabled(state));
    ui_->ChBoxMinToTrey->setChecked(k.MinToTrey);
    ui_->ChBoxStartInTrey->setChecked(k.StartInTrey);
    ui_->ChBxOkruglenie->setChecked(k.Okruglenie);
    ui_->ChBoxShowWinTemper->setChecked(k.ShowWindow);
    ui_->ChBoxVerSHT10->setChecked(k.SHT10);
    ui_->ChBoxT1_en->setChecked(k.T1_enable);
    ui_->ChBoxT2_en->setChecked(k.T2_enable);
    ui_->ChBoxHM_en->setChecked(k.HM_enable);
    ui_->UpDown1->setValue(k.TimeSound);
    ui_->UpDwTimeSaveFile->setValue(k.AutosaveMinutes);
    ui_->EditFileAlarmSound->setText(FromUtf8(state.SoundFile));
}

settings_dialog::DialogState TFormSettings::Controls() const {
    settings_dialog::DialogState state;
    config::SettingsDialogKeys& k = state.keys;
    state.Autorun = ui_->ChBoxAutorun->isChecked();
    k.OpenStart = ui_->ChBoxOpenComStart->isChecked();
    k.SignalOffData = ui_->ChBoxSignalOffData->isChecked();
    k.SignalOffDataSound = ui_->SignalOffDataSound->isChecked();
    k.MinToTrey = ui_->ChBoxMinToTrey->isChecked();
    k.StartInTrey = ui_->ChBoxStartInTrey->isChecked();
    k.Okruglenie = ui_->ChBxOkruglenie->isChecked();
    k.ShowWindow = ui_->ChBoxShowWinTemper->isChecked();
    k.SHT10 = ui_->ChBoxVerSHT10->isChecked();
    k.T1_enable = ui_->ChBoxT1_en->isChecked();
    k.T2_enable = ui_->ChBoxT2_en->isChecked();
    k.HM_enable = ui_->ChBoxHM_en->isChecked();
    k.TimeSound = ui_->UpDown1->value();
    k.AutosaveMinutes = ui_->UpDwTimeSaveFile->value();
    state.SoundFile = ui_->EditFileAlarmSound->text().toStdString();
    return state;
}

void TFormSettings::Edit2Change() {
    QPalette p = ui_->Label3->palette();
    p.setColor(QPalette::WindowText,
               settings_dialog::AutosaveLabelWarns(ui_->UpDwTimeSaveFile->value())
                   ? QColor(Qt::red)
                   : palette().color(QPalette::WindowText));
    ui_->Label3->setPalette(p);
}

void TFormSettings::ChBoxSignalOffDataClick() {
    const bool on = ui_->ChBoxSignalOffData->isChecked();
    if (!on) ui_->SignalOffDataSound->setChecked(false);
    ui_->SignalOffDataSound->setEnabled(on);
}

void TFormSettings::SpBtnFileAlarmSoundClick() {
    platform::FileDialogOptions options;
    options.filter = "wav (*.wav)";
    // The sound in force, not what the edit holds now.
    options.proposed_name = context_.window.Sound;
    const std::optional<std::string> chosen = context_.dialogs.OpenFile(this, options);
    if (chosen) ui_->EditFileAlarmSound->setText(FromUtf8(*chosen));
}

void TFormSettings::SpBtnPlayAlarmClick() {
    if (!ui_->SpBtnPlayAlarm->isChecked()) {
        timer1_->SetEnabled(false);
        return;
    }
    timer1_->SetInterval(settings_dialog::RepeatInterval(ui_->UpDown1->value()));
    timer1_->SetEnabled(true);
    Timer1Timer();
}

void TFormSettings::Timer1Timer() {
    context_.sound.Play(ui_->EditFileAlarmSound->text().toStdString());
    // A changed repeat period counts from this tick on.
    const std::uint32_t ms = settings_dialog::RepeatInterval(ui_->UpDown1->value());
    if (timer1_->Interval() != ms) timer1_->SetInterval(ms);
}

void TFormSettings::Button1Click() {
    platform::IniFile ini(context_.config_path);
    const settings_dialog::Acceptance acceptance =
        settings_dialog::Accept(ini, context_.autorun, Controls(), opened_, context_.window);
    if (acceptance.apply && context_.apply) context_.apply(*acceptance.apply);
    if (!acceptance.Closes()) {
        context_.dialogs.Message(this, *acceptance.error, windowTitle().toStdString(),
                                 platform::MessageButtons::Ok, platform::MessageIcon::Error);
        return;
    }
    accept();
}
