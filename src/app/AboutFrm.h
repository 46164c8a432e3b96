#pragma once
// The About dialog: the version of the running program, the links, and auto-run at logon.
#include "ExtCtrls.h"
#include "StdCtrls.h"

class TAboutForm : public TForm {
public:
    explicit TAboutForm(TComponent* AOwner);

    // In tab order: the button, the check box, then the controls that take no focus.
    TButton* btnOK;
    TCheckBox* cbAutoRun;
    TImage* Image1;
    TLabel* Label1;
    TLabel* Label2;
    TLabel* lblAbout;
    TBevel* Bevel1;
    TLabel* lblWebSite;
    TLabel* lblWebUrl;
    TLabel* lblEMail;
    TLabel* lblEMailUrl;

protected:
    void FormCreate() override;
    void btnOKClick(TComponent* Sender);
    void lblWebUrlClick(TComponent* Sender);
    void lblEMailUrlClick(TComponent* Sender);
    void lblWebUrlMouseEnter(TComponent* Sender);
    void lblWebUrlMouseLeave(TComponent* Sender);
};
