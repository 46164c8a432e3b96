#pragma once
// The New Scheme dialog: asks for the name of a scheme to create.
#include "Forms.h"
#include "StdCtrls.h"

#include <string>

class TNewSchemeForm : public TForm {
public:
    explicit TNewSchemeForm(TComponent* AOwner);

    TLabel* Label1;
    TEdit* edtSchemeName;
    TButton* btnOK;
    TButton* btnCancel;

protected:
    // Keeps the nine characters that file names cannot hold out of the field as they are typed.
    void edtSchemeNameKeyPress(TComponent* Sender, char& Key);
};

// Runs the dialog modally over `owner`. True with the name (trimmed) when the user confirmed
// one that can name a scheme; false with an empty name otherwise, without a message. A pasted
// name loses the characters the typing filter keeps out; a name still unusable after that
// (".", "CON", "Rock.", ...) counts as blank.
bool AskNewSchemeName(TComponent* owner, std::string& name);
