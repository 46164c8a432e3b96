#pragma once
// The Sound Options dialog: volume, stereo by key position, pitch variation, release sounds,
// held keys, the output device and when the keys stay silent. Changes are heard while it is
// open; Ok saves them, Cancel puts back what was there.
#include "AudioDevices.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "SoundOptions.h"
#include "StdCtrls.h"

#include <functional>
#include <string>
#include <vector>

class TSoundOptionsForm : public TForm {
public:
    // `preview` plays the current scheme's letter sound, as the volume moves.
    TSoundOptionsForm(TComponent* AOwner, const TSoundOptions& options,
                      std::function<void()> preview);

    // In tab order.
    TLabel* Label1;
    TTrackBar* tbVolume;
    TLabel* lblVolume;
    TLabel* lblVolumeNote;
    TCheckBox* cbStereo;
    TLabel* Label2;
    TTrackBar* tbWidth;
    TLabel* lblWidth;
    TCheckBox* cbVariation;
    TLabel* Label3;
    TTrackBar* tbRange;
    TLabel* lblRange;
    TCheckBox* cbSamePitch;
    TCheckBox* cbRelease;
    TLabel* Label4;
    TRadioButton* rbOnce;
    TRadioButton* rbRepeat;
    TLabel* Label5;
    TComboBox* cbDevice;
    TCheckBox* cbFullScreen;
    TCheckBox* cbListed;
    TLabel* Label6;
    TListBox* lbPrograms;
    TButton* btnAdd;
    TButton* btnRemove;
    TBevel* Bevel1;
    TButton* btnOk;
    TButton* btnCancel;

    // What the controls say now.
    TSoundOptions Options() const;

protected:
    void FormCreate() override;
    void tbVolumeChange(TComponent* Sender);
    void ControlChange(TComponent* Sender);
    void btnAddClick(TComponent* Sender);
    void btnRemoveClick(TComponent* Sender);
    void btnOkClick(TComponent* Sender);

private:
    // The labels beside the sliders, the controls that only count with their box ticked, and
    // the options heard now.
    void Apply();

    TSoundOptions FOptions;
    std::function<void()> FPreview;
    // The devices in the list after "Default device", in its order.
    std::vector<TRenderDevice> FDevices;
};

// The Add dialog of the program list: the programs with windows open now, or a file name
// typed.
class TAddProgramForm : public TForm {
public:
    explicit TAddProgramForm(TComponent* AOwner);

    TLabel* Label1;
    TListBox* lbRunning;
    TLabel* Label2;
    TEdit* edtProgram;
    TButton* btnOk;
    TButton* btnCancel;

    // The program's file name, once closed with Ok.
    std::string Program;

protected:
    void FormCreate() override;
    void lbRunningSelect(TComponent* Sender);
    void btnOkClick(TComponent* Sender);
};

// Runs the dialog owned by `AOwner` over the current options (CurrentSoundOptions); true when
// it was closed with Ok, the options saved in the file beside the settings and in effect.
// Otherwise the options in effect are those it opened with.
bool ExecuteSoundOptions(TComponent* AOwner, std::function<void()> preview);
