#include "MainFrm.h"

#include "AboutFrm.h"
#include "DataPaths.h"
#include "Exception.h"
#include "HotKeyFrm.h"
#include "ForegroundSilence.h"
#include "KeyHook.h"
#include "KeyPlaces.h"
#include "KeyReport.h"
#include "KeySound.h"
#include "KeySpeech.h"
#include "NameRules.h"
#include "PackImport.h"
#include "PackImportUi.h"
#include "ProgramIdentity.h"
#include "PubFunction.h"
#include "PubUnit.h"
#include "SchemeFrm.h"
#include "SoundOptionsFrm.h"
#include "Support.h"

#include <shellapi.h>

#include <optional>

std::unique_ptr<TMySetInfo> MySetInfo;
std::unique_ptr<TMySchemeInfo> MySchemeInfo;

namespace {

constexpr const char* kTitle = "Tappolo";
constexpr const char* kTrayHint = "Click here for Tappolo Options";
constexpr const char* kNoScheme = "No scheme can use, Please reinstall!";
constexpr const char* kSoundFallback =
    "Tappolo cannot use the sound device for itself now: key sounds play through the Windows "
    "sound player until it can.";
constexpr int kSchemeGroup = 1;
constexpr int kVolumeGroup = 2;
// The Volume submenu's steps, in percent.
constexpr int kVolumeSteps[] = {25, 50, 75, 100, 150, 200};
constexpr const char* kSilencedPrefix = "silenced: ";
// Posted by the import queue.
constexpr UINT kImportMessage = WM_APP + 1;

// Captions compare as the user reads them: ignoring letter case in the system code page.
bool SameCaptionText(std::string_view a, std::string_view b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string SettingsPath() {
    return SettingsFilePath(GetProgramDir());
}

std::string SchemePath(const std::string& name) {
    return SchemeFilePath(GetProgramDir(), name);
}

} // namespace

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("MainForm");
    Caption = kMainWindowCaption;
    BorderStyle = TBorderStyle::bsDialog;
    ClientWidth = 169;
    ClientHeight = 71;
    WindowState = TWindowState::wsMinimized;
    Layout = {{"Label1", "STATIC", kTitle, 100, 0, 0, 169, 71, SS_CENTER | SS_CENTERIMAGE}};

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    TMenuItem* root = PopupMenu1->Items();
    miSetHook = NewItem(root, "miSetHook", "&Enable Sound", &TMainForm::miSetHookClick);
    miEndHook = NewItem(root, "miEndHook", "&Disable Sound", &TMainForm::miEndHookClick);
    miSchemes = NewItem(root, "miSchemes", "&Schemes", nullptr);
    miTTSSpeak = NewItem(miSchemes, "miTTSSpeak", "TTS Speak", &TMainForm::miTTSSpeakClick);
    miTTSSpeak->RadioItem = true;
    miTTSSpeak->GroupIndex = kSchemeGroup;
    miSchemeSet = NewItem(root, "miSchemeSet", "S&cheme Set", &TMainForm::miSchemeSetClick);
    miImportPack =
        NewItem(root, "miImportPack", "&Import Sound Pack...", &TMainForm::miImportPackClick);
    ShowMainForm1 =
        NewItem(root, "ShowMainForm1", "Show Main&Form", &TMainForm::ShowMainForm1Click);
    ShowMainForm1->Visible = false;
    miHotKey = NewItem(root, "miHotKey", "Hot&Key", &TMainForm::miHotKeyClick);
    miSoundOptions =
        NewItem(root, "miSoundOptions", "Sound &Options...", &TMainForm::miSoundOptionsClick);
    miVolume = NewItem(root, "miVolume", "&Volume", nullptr);
    for (int percent : kVolumeSteps) {
        TMenuItem* item =
            NewItem(miVolume, ("miVolume" + std::to_string(percent)).c_str(),
                    (std::to_string(percent) + " %").c_str(), &TMainForm::VolumeItemClick);
        item->RadioItem = true;
        item->GroupIndex = kVolumeGroup;
    }
    N1 = NewItem(root, "N1", "-", nullptr);
    miAbout = NewItem(root, "miAbout", "&About...", &TMainForm::miAboutClick);
    miSendaquestion =
        NewItem(root, "miSendaquestion", "Se&nd a question", &TMainForm::miSendaquestionClick);
    miHelp = NewItem(root, "miHelp", "&Help", &TMainForm::miHelpClick);
    miExit = NewItem(root, "miExit", "&Exit", &TMainForm::miExitClick);

    vobTIO = new TvobTrayIconOk(this);
    vobTIO->SetName("vobTIO");
    vobTIO->SetCycleInterval(0);
    // The 32x32 16-colour image of the program icon.
    UniqueIcon icon(static_cast<HICON>(
        LoadImageA(MainInstance(), "MAINICON", IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    if (icon)
        vobTIO->SetIcon(icon.Get());
    vobTIO->SetIconIndex(0);
    vobTIO->SetPopupMenu(PopupMenu1);
    vobTIO->LeftPopup = true;
    vobTIO->StartMinimized = true;
    vobTIO->MinimizeToTray = true;

    HKM = new THotKeyManager(this);
    HKM->SetName("HKM");
    HKM->OnHotKeyPressed = [this](uint32_t HotKey, uint16_t Index) {
        HKMHotKeyPressed(HotKey, Index);
    };
}

TMenuItem* TMainForm::NewItem(TMenuItem* parent, const char* name, const char* caption,
                              void (TMainForm::*handler)(TComponent*)) {
    auto* item = new TMenuItem(this);
    item->SetName(name);
    item->SetCaption(caption);
    if (handler)
        item->OnClick = [this, handler](TComponent* Sender) { (this->*handler)(Sender); };
    parent->Add(item);
    return item;
}

void TMainForm::FormCreate() {
    Application.SetTitle(kTitle);
    vobTIO->SetHint(kTrayHint);

    UniqueKernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                  4, KeyHookMappingName));
    if (!mapping)
        throw Exception("Create Mapping File Error!");
    // Without a view the hook library could never find the window: the same failure, and no
    // mapping is kept.
    UniqueMapView view(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!view)
        throw Exception("Create Mapping File Error!");
    FMapHandle = std::move(mapping);
    FMapView = std::move(view);
    WriteKeyHookTarget(FMapView.Get(), reinterpret_cast<uintptr_t>(Handle()));

    FImports = std::make_unique<TImportQueue>(GetProgramDir(), Handle(), kImportMessage);
    SetSoundOptions(LoadSoundOptions(SoundOptionsFilePath(GetProgramDir())));
    CheckVolumeItem();
    MySchemeInfo = std::make_unique<TMySchemeInfo>();
    // Up before the first scheme loads, so that its sounds are made ready for the device.
    StartSoundOutput();
    BuildSchemeMenu();
    if (!SelectCurrentScheme())
        return;
    RegisterSoundHotKeys();
    miSetHookClick(this);
    vobTIO->ShowBalloon(kTitle, kTrayHint, TBalloonIconKind::bitInfo, 10);
}

void TMainForm::FormDestroy() {
    // A running import stops at its next step and leaves nothing behind.
    FImports.reset();
    EndKeyHook();
    StopSoundOutput();
    FMapView.Reset();
    FMapHandle.Reset();
    MySetInfo.reset();
    MySchemeInfo.reset();
}

void TMainForm::BuildSchemeMenu() {
    std::vector<std::string> names;
    ListFiles(SchemesFolder(GetProgramDir()), "*.tss", names);
    for (size_t i = 0; i < names.size(); ++i) {
        auto* item = new TMenuItem(this);
        item->SetName("mii" + std::to_string(i));
        item->SetCaption(SchemeListName(names[i]));
        item->RadioItem = true;
        item->GroupIndex = kSchemeGroup;
        item->OnClick = [this](TComponent* Sender) { SchemeListItemClick(Sender); };
        miSchemes->Add(item);
    }
}

void TMainForm::ClearSchemeMenu() {
    for (int i = miSchemes->Count() - 1; i >= 1; --i)
        TComponent::Free(miSchemes->Items(i));
}

bool TMainForm::SelectCurrentScheme() {
    // The engine is looked for only in speech mode.
    const bool engineFound =
        MySetInfo->CurrentScheme == kSpeechMode && FSpeech.DetectSpeechEngine() != SpeechEngineNone;
    return ApplyModeChoice(ChooseMode(TModeOccasion::StartUp, MySetInfo->CurrentScheme,
                                      SchemeCaptions(), engineFound, &SameCaptionText));
}

void TMainForm::UseFirstScheme() {
    TModeChoice first;
    first.Item = 1;
    first.Save = true;
    first.LoadScheme = true;
    ApplyModeChoice(first);
}

std::vector<std::string> TMainForm::SchemeCaptions() const {
    std::vector<std::string> captions;
    for (int i = 1; i < miSchemes->Count(); ++i)
        captions.push_back(miSchemes->Items(i)->Caption());
    return captions;
}

bool TMainForm::ApplyModeChoice(const TModeChoice& choice) {
    if (choice.NoScheme)
        ShowError(kNoScheme);
    if (choice.End) {
        Application.Terminate();
        return false;
    }
    if (choice.Item < 0)
        return true;
    TMenuItem* item = miSchemes->Items(choice.Item);
    if (choice.Save) {
        MySetInfo->SetSchemeMode(item->Caption(), false);
        MySetInfo->SaveToFile(SettingsPath());
    }
    // The stored name, not the caption, names the file: they may differ in letter case.
    if (choice.LoadScheme) {
        MySchemeInfo->LoadFromFile(SchemePath(MySetInfo->CurrentScheme), false);
        SchemeBecameCurrent();
    }
    item->SetChecked(true);
    return true;
}

void TMainForm::SchemeBecameCurrent() {
    if (MySetInfo->CurrentScheme != kSpeechMode)
        LoadSchemeSounds(GetProgramDir(), MySetInfo->CurrentScheme, *MySchemeInfo);
}

void TMainForm::RegisterSoundHotKeys() {
    if (MySetInfo->EnableHotKey > 0) {
        HKM->RegisterShortCutKey(static_cast<uint32_t>(MySetInfo->EnableHotKey));
        miSetHook->ShortCut = static_cast<uint16_t>(MySetInfo->EnableHotKey & 0xFFFF);
    }
    if (MySetInfo->DisableHotKey > 0) {
        HKM->RegisterShortCutKey(static_cast<uint32_t>(MySetInfo->DisableHotKey));
        miEndHook->ShortCut = static_cast<uint16_t>(MySetInfo->DisableHotKey & 0xFFFF);
    }
}

void TMainForm::HKMHotKeyPressed(uint32_t HotKey, uint16_t /*Index*/) {
    // A click on a disabled item is swallowed: each hotkey acts only in the state it changes.
    if (HotKey == static_cast<uint32_t>(MySetInfo->EnableHotKey))
        miSetHook->Click();
    else if (HotKey == static_cast<uint32_t>(MySetInfo->DisableHotKey))
        miEndHook->Click();
}

void TMainForm::miSetHookClick(TComponent*) {
    SetKeyHook();
    miSetHook->Enabled = false;
    miEndHook->Enabled = true;
}

void TMainForm::miEndHookClick(TComponent*) {
    EndKeyHook();
    miSetHook->Enabled = true;
    miEndHook->Enabled = false;
}

void TMainForm::SchemeListItemClick(TComponent* Sender) {
    auto* item = static_cast<TMenuItem*>(Sender);
    const std::string name = item->Caption();
    MySchemeInfo->LoadFromFile(SchemePath(name), false);
    MySetInfo->SetSchemeMode(name, true);
    MySetInfo->SaveToFile(SettingsPath());
    SchemeBecameCurrent();
    item->SetChecked(true);
}

void TMainForm::miTTSSpeakClick(TComponent*) {
    MySetInfo->SetSpeechMode();
    MySetInfo->SaveToFile(SettingsPath());
    miTTSSpeak->SetChecked(true);
    const bool engineFound = FSpeech.DetectSpeechEngine() != SpeechEngineNone;
    ApplyModeChoice(ChooseMode(TModeOccasion::SpeechPicked, MySetInfo->CurrentScheme,
                               SchemeCaptions(), engineFound, &SameCaptionText));
}

void TMainForm::miSchemeSetClick(TComponent*) {
    // Key sounds go on while the dialog is open, with the scheme loaded before it; what the
    // dialog saved or deleted takes effect here. A pack dropped on it becomes current at once.
    ShowSchemeSet(
        this, [this](const std::vector<std::string>& paths) { ImportPacks(paths); }, &FSchemeSet);
    ShutdownBlockReasonDestroy(Handle());
    RefreshSchemeMenu();
}

void TMainForm::RefreshSchemeMenu() {
    ClearSchemeMenu();
    BuildSchemeMenu();
    SelectCurrentScheme();
}

void TMainForm::miImportPackClick(TComponent*) {
    std::vector<std::string> paths = ChooseSoundPacks(this);
    if (!paths.empty())
        ImportPacks(paths);
}

void TMainForm::ImportPacks(const std::vector<std::string>& paths) {
    FImports->Add(paths);
}

void TMainForm::ImportStep() {
    const std::string progress = FImports->ProgressText();
    // While the keys are silent the tip says so; the progress shows again after.
    if (!FSilence)
        vobTIO->SetHint(progress.empty() ? kTrayHint : progress);
    // An error box of one outcome lets the next message in: the outer loop takes its outcome.
    if (FTakingOutcomes)
        return;
    FTakingOutcomes = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{FTakingOutcomes};
    while (std::optional<ImportOutcome> outcome = FImports->TakeOutcome())
        ImportDone(*outcome);
}

void TMainForm::ImportDone(const ImportOutcome& outcome) {
    if (!outcome.error.empty()) {
        ShowError(ErrorBoxText(outcome.error));
        return;
    }
    const std::string& name = outcome.result.schemeName;
    RefreshSchemeMenu();
    for (int i = 1; i < miSchemes->Count(); ++i) {
        TMenuItem* item = miSchemes->Items(i);
        if (item->Caption() == name) {
            SchemeListItemClick(item);
            break;
        }
    }
    if (FSchemeSet)
        FSchemeSet->SchemeImported(name);
    vobTIO->ShowBalloon(kTitle, ImportSummary(outcome.result), TBalloonIconKind::bitInfo, 10);
}

LRESULT TMainForm::QueryEndSession() {
    if (FSchemeSet && FSchemeSet->HasUnsavedChange()) {
        ShutdownBlockReasonCreate(Handle(), L"Scheme Set has a sound choice that is not saved.");
        return FALSE;
    }
    ShutdownBlockReasonDestroy(Handle());
    return TRUE;
}

void TMainForm::miHotKeyClick(TComponent*) {
    if (!ExecuteHotKeySetup(this, *MySetInfo))
        return;
    // The new hotkeys act at once and the old combinations are free again.
    HKM->ReleaseAllShortCutKeys();
    RegisterSoundHotKeys();
}

void TMainForm::miSoundOptionsClick(TComponent*) {
    // The volume preview is the current scheme's letter sound, as a key A would play it.
    auto preview = [this] {
        if (MySetInfo && MySchemeInfo && MySetInfo->CurrentScheme != kSpeechMode)
            PlayKeySound(GetProgramDir(), MySetInfo->CurrentScheme, *MySchemeInfo, 'A');
    };
    ExecuteSoundOptions(this, preview);
    CheckVolumeItem();
}

void TMainForm::VolumeItemClick(TComponent* Sender) {
    const int index = static_cast<TMenuItem*>(Sender)->MenuIndex();
    if (index < 0 || index >= static_cast<int>(std::size(kVolumeSteps)))
        return;
    TSoundOptions options = CurrentSoundOptions();
    options.Volume = kVolumeSteps[index];
    SetSoundOptions(options);
    CheckVolumeItem();
    if (!SaveSoundOptions(SoundOptionsFilePath(GetProgramDir()), options))
        ShowError("The volume is changed until Tappolo closes, but it could not be saved: "
                  "another program holds soundopts.tsc.");
}

void TMainForm::CheckVolumeItem() {
    const int volume = CurrentSoundOptions().Volume;
    for (int i = 0; i < miVolume->Count(); ++i)
        miVolume->Items(i)->SetChecked(false);
    for (int i = 0; i < miVolume->Count(); ++i)
        if (kVolumeSteps[i] == volume)
            miVolume->Items(i)->SetChecked(true);
}

void TMainForm::ShowSilence(const std::optional<std::string>& reason) {
    if (reason == FSilence)
        return;
    FSilence = reason;
    if (reason) {
        vobTIO->SetHint(kSilencedPrefix + *reason);
        return;
    }
    const std::string progress = FImports ? FImports->ProgressText() : std::string();
    vobTIO->SetHint(progress.empty() ? kTrayHint : progress);
}

void TMainForm::miAboutClick(TComponent*) {
    TOwned<TAboutForm> form(TForm::Create<TAboutForm>(this));
    form->ShowModal();
}

void TMainForm::ShowMainForm1Click(TComponent*) {
    vobTIO->RestoreMainWindow();
}

void TMainForm::miSendaquestionClick(TComponent*) {
    std::string link = std::string("mailto:") + SupportMail + "?subject=About Tappolo...";
    ShellExecuteA(Handle(), "open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TMainForm::miHelpClick(TComponent*) {
    std::string help = GetProgramDir() + "tplhelp.chm";
    ShellExecuteA(Handle(), "open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TMainForm::miExitClick(TComponent*) {
    Close();
}

void TMainForm::WMKeyMessage(WPARAM wParam, LPARAM lParam) {
    // Any process may post this message: a code too wide for a key stays an "other" key
    // instead of wrapping round to a real one.
    const unsigned key = wParam > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<unsigned>(wParam);
    const KeyReport report = ReadKeyReport(static_cast<uintptr_t>(lParam));
    const TSoundOptions& options = CurrentSoundOptions();
    const TKeyAction action = KeyMessageAction(report.Release, report.Repeat, options);
    if (action == TKeyAction::Ignore)
        return;
    // Judged at each key, from the window in front now: no timer watches it meanwhile.
    const std::optional<std::string> silence = CurrentSilenceReason(options);
    ShowSilence(silence);
    if (silence)
        return;
    if (MySetInfo->CurrentScheme == kSpeechMode) {
        // Speech says each key once, at its press.
        if (action != TKeyAction::Press || report.Repeat)
            return;
        // GetKeyState is stdcall on x86: a plain function adapts it.
        FSpeech.SpeakText(KeySpeechText(key, [](int vk) -> short { return GetKeyState(vk); }));
        return;
    }
    KeyEvent event;
    event.Place = ReportedKeyPlace(key, report.Scan, report.Extended);
    event.Release = action == TKeyAction::Release;
    PlayKeySound(GetProgramDir(), MySetInfo->CurrentScheme, *MySchemeInfo, key, event);
    if (TakeSoundFallbackNotice())
        vobTIO->ShowBalloon(kTitle, kSoundFallback, TBalloonIconKind::bitInfo, 10);
}

LRESULT TMainForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A message the system could not register is 0, the null message: never a change.
    if (message != 0 && message == SchemesChangedMessage()) {
        RefreshSchemeMenu();
        return 0;
    }
    if (message == kImportMessage) {
        ImportStep();
        return 0;
    }
    if (message == WM_QUERYENDSESSION)
        return QueryEndSession();
    if (message == KeyHookMessage) {
        // Key messages can be queued before the records exist or after they are freed.
        if (MySetInfo && MySchemeInfo)
            WMKeyMessage(wParam, lParam);
        return 0;
    }
    return TForm::WndProc(message, wParam, lParam);
}
