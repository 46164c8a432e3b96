#pragma once
// The HotKey Setup dialog: the two hotkeys that switch the key sounds on and off.
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"

class THotKeyForm : public TForm {
public:
    explicit THotKeyForm(TComponent* AOwner);

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
};

// Runs the dialog owned by `AOwner`; true when it was closed with Ok, the new hotkeys saved.
bool ExecuteHotKeySetup(TComponent* AOwner);
