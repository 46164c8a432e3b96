#include "HotKeyFrm.h"

#include "DataPaths.h"
#include "PubUnit.h"

THotKeyForm::THotKeyForm(TComponent* AOwner, TMySetInfo& settings)
    : TForm(AOwner), FSettings(settings) {
    SetName("HotKeyForm");
    Caption = "HotKey Setup";
    BorderStyle = TBorderStyle::bsDialog;
    Position = TPosition::poScreenCenter;
    ClientWidth = 248;
    ClientHeight = 145;
    Build({
        {&btnOk, "btnOk", "&Ok", 32, 112, 75, 25},
        {&btnCancel, "btnCancel", "&Cancel", 136, 112, 75, 25},
        {&Label1, "Label1", "&Enable Sound: ", 16, 19, 84, 13},
        {&hkEnable, "hkEnable", "", 101, 16, 117, 19},
        {&Label2, "Label2", "&Disable Sound: ", 16, 59, 84, 13},
        {&hkDisable, "hkDisable", "", 101, 56, 117, 19},
        {&Bevel1, "Bevel1", "", 0, 100, 248, 2},
    });
    Label1->FocusControl = hkEnable;
    Label2->FocusControl = hkDisable;
    // A key alone or with Shift alone would fire while the user types: it becomes Ctrl+Alt+key.
    for (THotKey* field : {hkEnable, hkDisable}) {
        field->InvalidKeys = HKCOMB_NONE | HKCOMB_S;
        field->Modifiers = HOTKEYF_CONTROL | HOTKEYF_ALT;
    }
    btnOk->OnClick = Handler(&THotKeyForm::btnOkClick);
    btnCancel->ModalResult = mrCancel;
    SetCancelButton(btnCancel);
}

void THotKeyForm::FormCreate() {
    hkEnable->SetHotKey(static_cast<uint16_t>(FSettings.EnableHotKey & 0xFFFF));
    hkDisable->SetHotKey(static_cast<uint16_t>(FSettings.DisableHotKey & 0xFFFF));
}

void THotKeyForm::btnOkClick(TComponent*) {
    const int32_t oldEnable = FSettings.EnableHotKey, oldDisable = FSettings.DisableHotKey;
    FSettings.EnableHotKey = hkEnable->HotKey();
    FSettings.DisableHotKey = hkDisable->HotKey();
    try {
        FSettings.SaveToFile(SettingsFilePath(GetProgramDir()));
    } catch (...) {
        // The registered hotkeys are still the old ones: the record says so again before the
        // error is shown, so that they keep matching and the next save of a mode writes them.
        // The dialog stays open.
        FSettings.EnableHotKey = oldEnable;
        FSettings.DisableHotKey = oldDisable;
        throw;
    }
    SetModalResult(mrOk);
}

bool ExecuteHotKeySetup(TComponent* AOwner, TMySetInfo& settings) {
    TOwned<THotKeyForm> form(TForm::Create<THotKeyForm>(AOwner, settings));
    return form->ShowModal() == mrOk;
}
