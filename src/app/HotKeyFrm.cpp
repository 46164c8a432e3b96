#include "HotKeyFrm.h"

#include "DataPaths.h"
#include "MainFrm.h"
#include "PubUnit.h"

THotKeyForm::THotKeyForm(TComponent* AOwner) : TForm(AOwner) {
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
    hkEnable->SetHotKey(static_cast<uint16_t>(MySetInfo->EnableHotKey & 0xFFFF));
    hkDisable->SetHotKey(static_cast<uint16_t>(MySetInfo->DisableHotKey & 0xFFFF));
}

void THotKeyForm::btnOkClick(TComponent*) {
    MySetInfo->EnableHotKey = hkEnable->HotKey();
    MySetInfo->DisableHotKey = hkDisable->HotKey();
    // A failed save leaves by its error before the dialog closes: it stays open.
    MySetInfo->SaveToFile(SettingsFilePath(GetProgramDir()));
    SetModalResult(mrOk);
}

bool ExecuteHotKeySetup(TComponent* AOwner) {
    TOwned<THotKeyForm> form(TForm::Create<THotKeyForm>(AOwner));
    return form->ShowModal() == mrOk;
}
