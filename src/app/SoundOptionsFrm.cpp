#include "SoundOptionsFrm.h"

#include "DataPaths.h"
#include "Exception.h"
#include "KeySound.h"
#include "PubUnit.h"

#include <cstdio>

namespace {

constexpr const char* kDefaultDevice = "Default device";

std::string Percent(int value) {
    return std::to_string(value) + " %";
}

std::string Semitones(int tenths) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d semitones", tenths / 10, tenths % 10);
    return text;
}

} // namespace

TSoundOptionsForm::TSoundOptionsForm(TComponent* AOwner, const TSoundOptions& options,
                                     std::function<void()> preview)
    : TForm(AOwner), FOptions(options), FPreview(std::move(preview)) {
    SetName("SoundOptionsForm");
    Caption = "Sound Options";
    BorderStyle = TBorderStyle::bsDialog;
    Position = TPosition::poScreenCenter;
    ClientWidth = 416;
    ClientHeight = 464;
    Build({
        {&Label1, "Label1", "&Volume:", 12, 16, 64, 13},
        {&tbVolume, "tbVolume", "", 80, 8, 248, 30},
        {&lblVolume, "lblVolume", "", 334, 16, 70, 13},
        {&lblVolumeNote, "lblVolumeNote",
         "The Windows sound player is in use: the volume does not apply to it.", 12, 42, 392, 13},
        {&cbStereo, "cbStereo", "&Stereo by key position", 12, 64, 260, 17},
        {&Label2, "Label2", "Stereo &width:", 30, 92, 100, 13},
        {&tbWidth, "tbWidth", "", 134, 84, 194, 30},
        {&lblWidth, "lblWidth", "", 334, 92, 70, 13},
        {&cbVariation, "cbVariation", "&Pitch variation", 12, 122, 260, 17},
        {&Label3, "Label3", "&Range either way:", 30, 150, 100, 13},
        {&tbRange, "tbRange", "", 134, 142, 194, 30},
        {&lblRange, "lblRange", "", 334, 150, 80, 13},
        {&cbSamePitch, "cbSamePitch", "The same &key always at the same pitch", 30, 178, 300, 17},
        {&cbRelease, "cbRelease", "Play release sou&nds", 12, 206, 260, 17},
        {&Label4, "Label4", "A &held key:", 12, 234, 70, 13},
        {&rbOnce, "rbOnce", "One sound per pr&ess", 84, 232, 140, 17},
        {&rbRepeat, "rbRepeat", "A sound at every a&uto-repeat", 226, 232, 184, 17},
        {&Label5, "Label5", "Output &device:", 12, 264, 84, 13},
        {&cbDevice, "cbDevice", "", 98, 260, 306, 21},
        {&cbFullScreen, "cbFullScreen", "Silent while a &full-screen program is in front", 12, 294,
         392, 17},
        {&cbListed, "cbListed", "Silent while one of &these programs is in front:", 12, 318, 392,
         17},
        {&Label6, "Label6", "Pro&grams:", 30, 344, 60, 13},
        {&lbPrograms, "lbPrograms", "", 92, 342, 220, 68},
        {&btnAdd, "btnAdd", "&Add...", 320, 342, 84, 25},
        {&btnRemove, "btnRemove", "Re&move", 320, 372, 84, 25},
        {&Bevel1, "Bevel1", "", 0, 422, 416, 2},
        {&btnOk, "btnOk", "&Ok", 236, 432, 80, 25},
        {&btnCancel, "btnCancel", "&Cancel", 324, 432, 80, 25},
    });
    Label1->FocusControl = tbVolume;
    Label2->FocusControl = tbWidth;
    Label3->FocusControl = tbRange;
    Label4->FocusControl = rbOnce;
    Label5->FocusControl = cbDevice;
    Label6->FocusControl = lbPrograms;
    tbVolume->Min = kMinVolume;
    tbVolume->Max = kMaxVolume;
    tbVolume->Frequency = 25;
    tbVolume->PageSize = 25;
    tbWidth->Max = kMaxStereoWidth;
    tbWidth->Frequency = 10;
    tbWidth->PageSize = 10;
    tbRange->Max = kMaxPitchRange;
    tbRange->Frequency = 5;
    tbRange->PageSize = 5;
    rbOnce->GroupStart = true;
    // Ends the radio group: the arrow keys stay within its two buttons.
    Label5->GroupStart = true;
    cbDevice->DropDownCount = 10;

    tbVolume->OnChange = Handler(&TSoundOptionsForm::tbVolumeChange);
    for (TTrackBar* bar : {tbWidth, tbRange})
        bar->OnChange = Handler(&TSoundOptionsForm::ControlChange);
    for (TCheckBox* box : {cbStereo, cbVariation, cbSamePitch, cbRelease, cbFullScreen, cbListed})
        box->OnClick = Handler(&TSoundOptionsForm::ControlChange);
    for (TRadioButton* radio : {rbOnce, rbRepeat})
        radio->OnClick = Handler(&TSoundOptionsForm::ControlChange);
    cbDevice->OnSelect = Handler(&TSoundOptionsForm::ControlChange);
    lbPrograms->OnSelect = Handler(&TSoundOptionsForm::ControlChange);
    btnAdd->OnClick = Handler(&TSoundOptionsForm::btnAddClick);
    btnRemove->OnClick = Handler(&TSoundOptionsForm::btnRemoveClick);
    btnOk->OnClick = Handler(&TSoundOptionsForm::btnOkClick);
    btnCancel->ModalResult = mrCancel;
    SetCancelButton(btnCancel);
}

void TSoundOptionsForm::FormCreate() {
    tbVolume->SetPosition(FOptions.Volume);
    cbStereo->SetChecked(FOptions.StereoByPosition);
    tbWidth->SetPosition(FOptions.StereoWidth);
    cbVariation->SetChecked(FOptions.Variation);
    tbRange->SetPosition(FOptions.PitchRange);
    cbSamePitch->SetChecked(FOptions.SamePitchPerKey);
    cbRelease->SetChecked(FOptions.ReleaseSounds);
    rbOnce->SetChecked(!FOptions.SoundOnRepeat);
    rbRepeat->SetChecked(FOptions.SoundOnRepeat);
    cbFullScreen->SetChecked(FOptions.SilenceFullScreen);
    cbListed->SetChecked(FOptions.SilenceListed);
    for (const std::string& program : FOptions.SilencePrograms)
        lbPrograms->Add(program);
    lblVolumeNote->SetVisible(!EngineOutputInUse());

    cbDevice->Add(kDefaultDevice);
    FDevices = ListRenderDevices();
    int chosen = 0;
    for (size_t i = 0; i < FDevices.size(); ++i)
        if (!FOptions.DeviceId.empty() && FDevices[i].Id == FOptions.DeviceId)
            chosen = static_cast<int>(i) + 1;
    // A chosen device that is absent now stays chosen: it is taken up again when it returns.
    const bool absent = !FOptions.DeviceId.empty() && chosen == 0;
    if (absent) {
        FDevices.push_back({FOptions.DeviceId, FOptions.DeviceName});
        chosen = static_cast<int>(FDevices.size());
    }
    for (size_t i = 0; i < FDevices.size(); ++i)
        cbDevice->Add(absent && i + 1 == FDevices.size() ? FDevices[i].Name + " (not connected)"
                                                         : FDevices[i].Name);
    cbDevice->SetItemIndex(chosen);
    Apply();
}

TSoundOptions TSoundOptionsForm::Options() const {
    TSoundOptions options = FOptions;
    options.Volume = tbVolume->Position();
    options.StereoByPosition = cbStereo->Checked();
    options.StereoWidth = tbWidth->Position();
    options.Variation = cbVariation->Checked();
    options.PitchRange = tbRange->Position();
    options.SamePitchPerKey = cbSamePitch->Checked();
    options.ReleaseSounds = cbRelease->Checked();
    options.SoundOnRepeat = rbRepeat->Checked();
    const int device = cbDevice->ItemIndex();
    if (device >= 1 && static_cast<size_t>(device) <= FDevices.size()) {
        options.DeviceId = FDevices[static_cast<size_t>(device) - 1].Id;
        options.DeviceName = FDevices[static_cast<size_t>(device) - 1].Name;
    } else {
        options.DeviceId.clear();
        options.DeviceName.clear();
    }
    options.SilenceFullScreen = cbFullScreen->Checked();
    options.SilenceListed = cbListed->Checked();
    options.SilencePrograms.clear();
    for (int i = 0; i < lbPrograms->Count(); ++i)
        options.SilencePrograms.push_back(lbPrograms->Items(i));
    return options;
}

void TSoundOptionsForm::Apply() {
    lblVolume->SetText(Percent(tbVolume->Position()));
    lblWidth->SetText(Percent(tbWidth->Position()));
    lblRange->SetText(Semitones(tbRange->Position()));
    const bool stereo = cbStereo->Checked(), variation = cbVariation->Checked();
    const bool listed = cbListed->Checked();
    for (TControl* control : {static_cast<TControl*>(Label2), static_cast<TControl*>(tbWidth),
                              static_cast<TControl*>(lblWidth)})
        control->SetEnabled(stereo);
    for (TControl* control :
         {static_cast<TControl*>(Label3), static_cast<TControl*>(tbRange),
          static_cast<TControl*>(lblRange), static_cast<TControl*>(cbSamePitch)})
        control->SetEnabled(variation);
    for (TControl* control : {static_cast<TControl*>(Label6), static_cast<TControl*>(lbPrograms),
                              static_cast<TControl*>(btnAdd)})
        control->SetEnabled(listed);
    btnRemove->SetEnabled(listed && lbPrograms->ItemIndex() >= 0);
    SetSoundOptions(Options());
}

void TSoundOptionsForm::tbVolumeChange(TComponent* Sender) {
    ControlChange(Sender);
    if (FPreview)
        FPreview();
}

void TSoundOptionsForm::ControlChange(TComponent*) {
    Apply();
}

void TSoundOptionsForm::btnAddClick(TComponent*) {
    TOwned<TAddProgramForm> form(TForm::Create<TAddProgramForm>(this));
    if (form->ShowModal() != mrOk)
        return;
    std::vector<std::string> list = Options().SilencePrograms;
    if (AddSilenceProgram(list, form->Program))
        lbPrograms->Add(list.back());
    for (int i = 0; i < lbPrograms->Count(); ++i)
        if (SameProgramName(lbPrograms->Items(i), form->Program))
            lbPrograms->SetItemIndex(i);
    Apply();
    lbPrograms->SetFocus();
}

void TSoundOptionsForm::btnRemoveClick(TComponent*) {
    const int index = lbPrograms->ItemIndex();
    if (index < 0)
        return;
    lbPrograms->Delete(index);
    if (lbPrograms->Count() > 0)
        lbPrograms->SetItemIndex(index < lbPrograms->Count() ? index : index - 1);
    Apply();
    // The button may have just been disabled: the focus must not stay on it.
    if (!btnRemove->Enabled())
        lbPrograms->SetFocus();
}

void TSoundOptionsForm::btnOkClick(TComponent*) {
    const TSoundOptions options = Options();
    if (!SaveSoundOptions(SoundOptionsFilePath(GetProgramDir()), options))
        throw Exception("The sound options could not be saved: another program holds "
                        "soundopts.tsc.");
    SetSoundOptions(options);
    SetModalResult(mrOk);
}

TAddProgramForm::TAddProgramForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("AddProgramForm");
    Caption = "Add Program";
    BorderStyle = TBorderStyle::bsDialog;
    Position = TPosition::poScreenCenter;
    ClientWidth = 300;
    ClientHeight = 246;
    Build({
        {&Label1, "Label1", "&Programs with windows open now:", 12, 10, 276, 13},
        {&lbRunning, "lbRunning", "", 12, 28, 276, 120},
        {&Label2, "Label2", "Program &file name:", 12, 160, 276, 13},
        {&edtProgram, "edtProgram", "", 12, 178, 276, 21},
        {&btnOk, "btnOk", "&Ok", 120, 212, 80, 25},
        {&btnCancel, "btnCancel", "&Cancel", 208, 212, 80, 25},
    });
    Label1->FocusControl = lbRunning;
    Label2->FocusControl = edtProgram;
    edtProgram->MaxLength = 260;
    lbRunning->OnSelect = Handler(&TAddProgramForm::lbRunningSelect);
    lbRunning->OnDblClick = Handler(&TAddProgramForm::btnOkClick);
    btnOk->OnClick = Handler(&TAddProgramForm::btnOkClick);
    btnCancel->ModalResult = mrCancel;
    SetDefaultButton(btnOk);
    SetCancelButton(btnCancel);
}

void TAddProgramForm::FormCreate() {
    for (const std::string& name : DistinctProgramNames(ProgramsWithWindows()))
        lbRunning->Add(name);
}

void TAddProgramForm::lbRunningSelect(TComponent*) {
    edtProgram->SetText(lbRunning->Items(lbRunning->ItemIndex()));
}

void TAddProgramForm::btnOkClick(TComponent*) {
    const std::string name(ImageFileName(edtProgram->Text()));
    // Nothing chosen is nothing added: the dialog stays open.
    if (name.empty())
        return;
    Program = name;
    SetModalResult(mrOk);
}

bool ExecuteSoundOptions(TComponent* AOwner, std::function<void()> preview) {
    const TSoundOptions before = CurrentSoundOptions();
    TOwned<TSoundOptionsForm> form(
        TForm::Create<TSoundOptionsForm>(AOwner, before, std::move(preview)));
    if (form->ShowModal() == mrOk)
        return true;
    SetSoundOptions(before);
    return false;
}
