#include "AboutFrm.h"

#include "ProgramIdentity.h"
#include "PubFunction.h"
#include "PubUnit.h"
#include "Support.h"

#include <shellapi.h>

namespace {

void OpenLink(const std::string& address) {
    // Whatever the shell cannot open, it says itself or not at all.
    ShellExecuteA(nullptr, "open", address.c_str(), "", "", SW_SHOWNORMAL);
}

} // namespace

TAboutForm::TAboutForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("AboutForm");
    Caption = "About...";
    BorderStyle = TBorderStyle::bsDialog;
    Left = 341;
    Top = 238;
    ClientWidth = 319;
    ClientHeight = 161;
    Font = {"Arial", 12};
    Build({
        {&btnOK, "btnOK", "&Ok", 233, 128, 75, 25},
        {&cbAutoRun, "cbAutoRun", "Auto-run at startup Windows", 134, 100, 173, 17},
        {&Image1, "Image1", "", 8, 8, 32, 32},
        {&Label1, "Label1", "Tappolo", 44, 15, 176, 19},
        {&Label2, "Label2", "Ver ", 231, 20, 71, 12},
        {&lblAbout, "lblAbout",
         "Tappolo is a enhance tool for keyboard  - Make keyboard speaking, helps you gain "
         "pleasure from finger!",
         17, 52, 288, 45},
        {&Bevel1, "Bevel1", "", 8, 118, 306, 2},
        {&lblWebSite, "lblWebSite", "Website: ", 10, 126, 50, 14},
        {&lblWebUrl, "lblWebUrl", SupportWebPage, 63, 126, 160, 14},
        {&lblEMail, "lblEMail", "EMail: ", 10, 141, 50, 14},
        {&lblEMailUrl, "lblEMailUrl", SupportMail, 63, 141, 160, 14},
    });
    cbAutoRun->CaptionLeft = true;
    Image1->LoadIcon("MAINICON");
    Label1->SetFont({"Arial", 16, true, false, clGreen});
    Label2->SetFont({"Arial", 10, true, false, clWhite});
    Label2->Transparent = true;
    lblAbout->WordWrap = true;
    lblAbout->Transparent = true;
    for (TLabel* link : {lblWebUrl, lblEMailUrl}) {
        link->Cursor = IDC_HAND;
        link->OnMouseEnter = Handler(&TAboutForm::lblWebUrlMouseEnter);
        link->OnMouseLeave = Handler(&TAboutForm::lblWebUrlMouseLeave);
    }
    lblWebUrl->OnClick = Handler(&TAboutForm::lblWebUrlClick);
    lblEMailUrl->OnClick = Handler(&TAboutForm::lblEMailUrlClick);
    btnOK->OnClick = Handler(&TAboutForm::btnOKClick);
}

void TAboutForm::FormCreate() {
    // A stored value of the wrong kind raises here: the box stays clear and the version is not
    // filled in.
    cbAutoRun->SetChecked(IsAutoRun(kAutoRunValueName, ExecutablePath()));
    Label2->SetText("Ver " + GetFileVersionText(ExecutablePath()));
}

void TAboutForm::btnOKClick(TComponent*) {
    // A value that cannot be written raises, and the dialog stays open.
    SetAutoRun(kAutoRunValueName, ExecutablePath(), cbAutoRun->Checked());
    Close();
}

void TAboutForm::lblWebUrlClick(TComponent*) {
    OpenLink(SupportWebPage);
}

void TAboutForm::lblEMailUrlClick(TComponent*) {
    OpenLink(std::string("mailto:") + SupportMail + "?subject=About Tappolo...");
}

void TAboutForm::lblWebUrlMouseEnter(TComponent* Sender) {
    auto* link = static_cast<TLabel*>(Sender);
    TFont font = link->Font();
    font.Color = clBlue;
    font.Underline = true;
    link->SetFont(font);
}

void TAboutForm::lblWebUrlMouseLeave(TComponent* Sender) {
    auto* link = static_cast<TLabel*>(Sender);
    TFont font = link->Font();
    font.Color = clBlack;
    font.Underline = false;
    link->SetFont(font);
}
