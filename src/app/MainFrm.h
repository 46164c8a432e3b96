#pragma once
// The hidden main window: start-up and shutdown, the tray menu and its commands, and the key
// message from the hook library.
#include "Application.h"
#include "Forms.h"
#include "HotKeyManager.h"
#include "Menus.h"
#include "ModeChoice.h"
#include "MySetInfo.h"
#include "PackImportUi.h"
#include "PubClassUnit.h"
#include "SpeechEngine.h"
#include "UniqueHandle_win.h"
#include "vobTrayIconOk.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The program-wide records: the settings live from the program main to the main window's
// destruction, the active scheme with the main window.
class TSchemeForm;

extern std::unique_ptr<TMySetInfo> MySetInfo;
extern std::unique_ptr<TMySchemeInfo> MySchemeInfo;

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* AOwner);

    // Components of the window, in the order of its layout.
    TPopupMenu* PopupMenu1;
    TMenuItem* miSetHook;
    TMenuItem* miEndHook;
    TMenuItem* miSchemes;
    TMenuItem* miTTSSpeak;
    TMenuItem* miSchemeSet;
    TMenuItem* miImportPack;
    TMenuItem* ShowMainForm1;
    TMenuItem* miHotKey;
    TMenuItem* miSoundOptions;
    TMenuItem* miVolume;
    TMenuItem* N1;
    TMenuItem* miAbout;
    TMenuItem* miSendaquestion;
    TMenuItem* miHelp;
    TMenuItem* miExit;
    TvobTrayIconOk* vobTIO;
    THotKeyManager* HKM;

    void BuildSchemeMenu();
    void ClearSchemeMenu();
    // False when no mode could be applied and the program was asked to end.
    bool SelectCurrentScheme();
    void UseFirstScheme();
    // A scheme became current (start-up, a menu pick, after Scheme Set or an import): its
    // sounds are decoded and made ready for the output device once, here.
    void SchemeBecameCurrent();
    void RegisterSoundHotKeys();

    void miSetHookClick(TComponent* Sender);
    void miEndHookClick(TComponent* Sender);
    void SchemeListItemClick(TComponent* Sender);
    void miTTSSpeakClick(TComponent* Sender);
    void miSchemeSetClick(TComponent* Sender);
    void miImportPackClick(TComponent* Sender);
    // Imports the packs (UTF-8 paths) one after the other, off this thread, the progress in the
    // icon's tip; each new scheme becomes the current one as its Schemes item would make it,
    // and an open Scheme Set lists it. A failure is shown in an error box.
    void ImportPacks(const std::vector<std::string>& paths);
    void miHotKeyClick(TComponent* Sender);
    void miSoundOptionsClick(TComponent* Sender);
    // An item of the Volume submenu: the volume it names, saved and in effect at once.
    void VolumeItemClick(TComponent* Sender);
    void miAboutClick(TComponent* Sender);
    void ShowMainForm1Click(TComponent* Sender);
    void miSendaquestionClick(TComponent* Sender);
    void miHelpClick(TComponent* Sender);
    void miExitClick(TComponent* Sender);
    void HKMHotKeyPressed(uint32_t HotKey, uint16_t Index);

    uint8_t SpeechEngine() const { return FSpeech.SpeechEngine(); }

protected:
    void FormCreate() override;
    void FormDestroy() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void WMKeyMessage(WPARAM wParam, LPARAM lParam);
    // The Volume submenu shows the volume in effect (no item when it is none of theirs).
    void CheckVolumeItem();
    // The tip says why the keys are silent while a silence rule holds, and what it said
    // before once none does.
    void ShowSilence(const std::optional<std::string>& reason);
    // The import queue posted: its progress to the tip, its outcomes to the user.
    void ImportStep();
    void ImportDone(const ImportOutcome& outcome);
    // Windows asks whether the session may end: not while Scheme Set holds a change that is not
    // saved, and Windows is told why.
    LRESULT QueryEndSession();
    // The schemes folder changed: the Schemes submenu lists it anew.
    void RefreshSchemeMenu();
    // Checks, loads and saves what the mode fallbacks chose; false when the program is to end.
    bool ApplyModeChoice(const TModeChoice& choice);
    // The captions of the scheme items, from position 1 of the Schemes submenu on.
    std::vector<std::string> SchemeCaptions() const;
    TMenuItem* NewItem(TMenuItem* parent, const char* name, const char* caption,
                       void (TMainForm::*handler)(TComponent*));

    UniqueKernelHandle FMapHandle;
    UniqueMapView FMapView;
    TSpeechEngine FSpeech;
    std::unique_ptr<TImportQueue> FImports;
    bool FTakingOutcomes = false;
    // The reason in the tip now, or none.
    std::optional<std::string> FSilence;
    // The open Scheme Set dialog, or null.
    TSchemeForm* FSchemeSet = nullptr;
};
