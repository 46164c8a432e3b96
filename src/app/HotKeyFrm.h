#pragma once
// The HotKey Setup dialog: the two hotkeys that switch the key sounds on and off.
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "MySetInfo.h"
#include "StdCtrls.h"

class THotKeyForm : public TForm {
public:
    // The dialog shows and changes the hotkeys of `settings`, which outlives it.
    THotKeyForm(TComponent* AOwner, TMySetInfo& settings);

    // In tab order.
    TButton* btnOk;
    TButton* btnCancel;
    TLabel* Label1;
    THotKey* hkEnable;
    TLabel* Label2;
    THotKey* hkDisable;
    TBevel* Bevel1;

protected:
    void FormCreate() override;
    void btnOkClick(TComponent* Sender);

private:
    TMySetInfo& FSettings;
};

// Runs the dialog owned by `AOwner`; true when it was closed with Ok, the new hotkeys saved in
// `settings` and in the settings file. Otherwise `settings` is as it was.
bool ExecuteHotKeySetup(TComponent* AOwner, TMySetInfo& settings);
