#include "NewSchemeFrm.h"

#include "PubUnit.h"
#include "SchemeStore.h"

TNewSchemeForm::TNewSchemeForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("NewSchemeForm");
    Caption = "New Scheme";
    BorderStyle = TBorderStyle::bsDialog;
    Position = TPosition::poScreenCenter;
    ClientWidth = 231;
    ClientHeight = 111;
    Build({
        {&Label1, "Label1", "&Scheme Name", 24, 14, 185, 13},
        {&edtSchemeName, "edtSchemeName", "", 24, 32, 185, 21},
        {&btnOK, "btnOK", "&OK", 32, 72, 75, 25},
        {&btnCancel, "btnCancel", "&Cancel", 128, 72, 75, 25},
    });
    Label1->FocusControl = edtSchemeName;
    edtSchemeName->MaxLength = 20;
    edtSchemeName->ImeOff = true;
    edtSchemeName->OnKeyPress = Handler(&TNewSchemeForm::edtSchemeNameKeyPress);
    btnOK->ModalResult = mrOk;
    btnCancel->ModalResult = mrCancel;
    SetDefaultButton(btnOK);
    SetCancelButton(btnCancel);
}

void TNewSchemeForm::edtSchemeNameKeyPress(TComponent*, char& Key) {
    if (IsForbiddenNameChar(static_cast<unsigned char>(Key)))
        Key = '\0';
}

bool AskNewSchemeName(TComponent* owner, std::string& name) {
    name.clear();
    TOwned<TNewSchemeForm> form(TForm::Create<TNewSchemeForm>(owner));
    if (form->ShowModal() == mrOk) {
        name = TrimBlanks(StripForbiddenNameChars(form->edtSchemeName->Text()));
        if (!SchemeNameUsable(GetProgramDir(), name))
            name.clear();
    }
    return !name.empty();
}
