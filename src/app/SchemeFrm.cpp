#include "SchemeFrm.h"

#include "Application.h"
#include "DataPaths.h"
#include "Exception.h"
#include "FileSystem.h"
#include "KeySound.h"
#include "KeyPanelKeys.h"
#include "KeyTypes.h"
#include "KeyboardPicture.h"
#include "NameRules.h"
#include "NewSchemeFrm.h"
#include "PackName.h"
#include "PubFunction.h"
#include "PubUnit.h"
#include "SchemeStore.h"

#include <algorithm>
#include <functional>

namespace {

constexpr const char* kSystemScheme = "Fight";
constexpr const char* kOwnKeysTakeNewSound =
    "Some keys of this type have sounds of their own. Should they play the new sound too?";
// Test Sound plays the release this long after the press, as a short key stroke would.
constexpr unsigned kTestReleaseDelay = 300;
// The mark of a key with a sound of its own: a colour no caption or edge has.
constexpr COLORREF kMarkColor = RGB(0, 96, 208);

} // namespace

// A key of the keyboard picture. Most captions are wider than a 20-pixel key in the dialog's
// font: each is drawn in the largest of a few smaller sizes at which it fits, broken at its
// blank ("Num" over "Lock"); only what fits at none is cut at the key's edges, and those keys
// name themselves in a tooltip. A key with a sound of its own has a dot in its top right
// corner.
class TKeyPanel : public TPanel {
public:
    TKeyPanel(TForm* form, TControl* parent, const std::vector<UniqueFont>& fonts)
        : TPanel(form, parent), FFonts(fonts) {}

    // The right button was released on the key, at a screen point.
    std::function<void(TKeyPanel* panel, POINT at)> OnContextPopup;

    void SetMarked(bool marked) {
        if (marked == FMarked)
            return;
        FMarked = marked;
        if (HandleAllocated())
            InvalidateRect(Handle(), nullptr, TRUE);
    }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CONTEXTMENU && OnContextPopup) {
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            // No point (the menu asked for from the keyboard): it opens over the key.
            if (lParam == -1) {
                RECT r;
                GetWindowRect(Handle(), &r);
                at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            }
            OnContextPopup(this, at);
            return 0;
        }
        return TPanel::WndProc(message, wParam, lParam);
    }

    void DrawItem(const DRAWITEMSTRUCT& item) override {
        HDC dc = item.hDC;
        RECT r = item.rcItem;
        const bool sunken = BevelOuter() == TBevelCut::bvLowered;
        // A pressed key is also a shade darker, so the chosen keys stand out at a glance.
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        SetDCBrushColor(dc, sunken ? RGB(GetRValue(face) * 7 / 8, GetGValue(face) * 7 / 8,
                                         GetBValue(face) * 7 / 8)
                                   : face);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        DrawEdge(dc, &r, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
        const RECT inside = r;
        if (sunken)
            OffsetRect(&r, 1, 1);
        const std::string caption = Text();
        const int length = static_cast<int>(caption.size());
        const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
        const int width = r.right - r.left, height = r.bottom - r.top;
        // The caption and the key's size never change: the font is chosen at the first painting.
        if (FFontIndex < 0) {
            FFontIndex = 0;
            for (const UniqueFont& font : FFonts) {
                HGDIOBJ old = SelectObject(dc, font.Get());
                FNeed = {0, 0, width, 0};
                DrawTextA(dc, caption.c_str(), length, &FNeed, format | DT_CALCRECT);
                SelectObject(dc, old);
                if (FNeed.right <= width && FNeed.bottom <= height)
                    break;
                if (FFontIndex + 1 < static_cast<int>(FFonts.size()))
                    ++FFontIndex;
            }
        }
        const RECT need = FNeed;
        HGDIOBJ previous = SelectObject(dc, FFonts[static_cast<std::size_t>(FFontIndex)].Get());
        SetTextColor(dc, Font().Color == clDefault ? GetSysColor(COLOR_BTNTEXT) : Font().Color);
        SetBkMode(dc, TRANSPARENT);
        RECT text = r;
        text.top += std::max(0, (height - static_cast<int>(need.bottom)) / 2);
        // A caption wider than the key is centred on it and cut at both edges alike.
        if (need.right > width) {
            text.left -= (need.right - width) / 2;
            text.right = text.left + need.right;
        }
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        DrawTextA(dc, caption.c_str(), length, &text, format);
        RestoreDC(dc, saved);
        SelectObject(dc, previous);
        if (FMarked) {
            // Drawn last, at one place whether the key looks pressed or not: no caption hides
            // it.
            const int size = std::max(5, ScaleToScreen(5));
            SetDCBrushColor(dc, kMarkColor);
            SetDCPenColor(dc, kMarkColor);
            HGDIOBJ brush = SelectObject(dc, GetStockObject(DC_BRUSH));
            HGDIOBJ pen = SelectObject(dc, GetStockObject(DC_PEN));
            Ellipse(dc, inside.right - size - 1, inside.top + 1, inside.right - 1,
                    inside.top + 1 + size);
            SelectObject(dc, pen);
            SelectObject(dc, brush);
        }
    }

private:
    const std::vector<UniqueFont>& FFonts;
    int FFontIndex = -1;
    RECT FNeed{};
    bool FMarked = false;
};

TSchemeForm::TSchemeForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("SchemeForm");
    Caption = "Scheme Set";
    BorderStyle = TBorderStyle::bsDialog;
    Position = TPosition::poScreenCenter;
    ClientWidth = 505;
    ClientHeight = 243;
    // Rows in tab order: the scheme list, the buttons (Test Sound before Delete), the key type
    // list and the sound file; the rest takes no focus.
    Build({
        {&lblScheme, "lblScheme", "Sc&heme", 8, 12, 42, 13},
        {&cbSchemeList, "cbSchemeList", "", 52, 8, 83, 21},
        {&btnNew, "btnNew", "&New", 8, 210, 75, 25},
        {&btnEdit, "btnEdit", "&Edit", 91, 210, 75, 25},
        {&btnSave, "btnSave", "&Save", 174, 210, 75, 25},
        {&btnTestSound, "btnTestSound", "&Test Sound", 340, 210, 75, 25},
        {&btnDelete, "btnDelete", "&Delete", 257, 210, 75, 25},
        {&btnClose, "btnClose", "&Close", 423, 210, 75, 25},
        {&lblKeys, "lblKeys", "&Keys", 152, 12, 28, 13},
        {&cbKeyTypeList, "cbKeyTypeList", "", 182, 8, 89, 21},
        {&lblSoundFile, "lblSoundFile", "S&ound File", 288, 12, 56, 13},
        {&edtSoundFile, "edtSoundFile", "", 346, 8, 130, 21},
        {&btnFile, "btnFile", "...", 479, 8, 21, 21},
        {&pnlKeyborad, "pnlKeyborad", "", 8, 37, 492, 158},
        // On the function key row, aligned with the keys below: the release sound belongs to
        // the key type shown above it.
        {&lblRelease, &pnlKeyborad, "lblRelease", "&Release", 322, 10, 44, 13},
        {&edtReleaseFile, &pnlKeyborad, "edtReleaseFile", "", 367, 6, 74, 21},
        {&btnReleaseNone, &pnlKeyborad, "btnReleaseNone", "x", 444, 6, 20, 21},
        {&btnReleaseFile, &pnlKeyborad, "btnReleaseFile", "...", 466, 6, 20, 21},
        {&Bevel1, "Bevel1", "", 0, 202, 505, 2},
    });
    lblScheme->FocusControl = cbSchemeList;
    lblKeys->FocusControl = cbKeyTypeList;
    lblSoundFile->FocusControl = edtSoundFile;
    lblRelease->FocusControl = edtReleaseFile;
    cbSchemeList->OnSelect = Handler(&TSchemeForm::cbSchemeListSelect);
    cbKeyTypeList->OnSelect = Handler(&TSchemeForm::cbKeyTypeListSelect);
    cbKeyTypeList->DropDownCount = KeyTypeCount;
    edtSoundFile->SetReadOnly(true);
    btnFile->OnClick = Handler(&TSchemeForm::btnFileClick);
    edtReleaseFile->SetReadOnly(true);
    btnReleaseNone->SetHint("Silent on release");
    btnReleaseNone->OnClick = Handler(&TSchemeForm::btnReleaseNoneClick);
    btnReleaseFile->OnClick = Handler(&TSchemeForm::btnReleaseFileClick);
    btnNew->OnClick = Handler(&TSchemeForm::btnNewClick);
    btnEdit->OnClick = Handler(&TSchemeForm::btnEditClick);
    btnSave->OnClick = Handler(&TSchemeForm::btnSaveClick);
    btnTestSound->OnClick = Handler(&TSchemeForm::btnTestSoundClick);
    btnDelete->OnClick = Handler(&TSchemeForm::btnDeleteClick);
    btnClose->OnClick = Handler(&TSchemeForm::btnCloseClick);
    pnlKeyborad->SetBevelOuter(TBevelCut::bvLowered);

    // The dialog's own size first, down to the smallest that stays legible.
    for (int height = Font.Height; height >= 8; --height)
        FKeyFonts.push_back(MakeFont(TFont{"", height}, Font));
    FKeyPanels.reserve(KeyPanels.size());
    for (const KeyPanel& key : KeyPanels) {
        auto* panel = new TKeyPanel(this, pnlKeyborad, FKeyFonts);
        panel->SetBounds(key.Left, key.Top, key.Width, key.Height);
        panel->SetText(key.Caption);
        panel->Tag = key.KeyType;
        if (key.Hint)
            panel->SetHint(key.Hint);
        panel->OnClick = Handler(&TSchemeForm::Panel2Click);
        panel->OnContextPopup = [this](TKeyPanel* p, POINT at) { KeyPanelContextPopup(p, at); };
        FKeyPanels.push_back(panel);
    }

    pmKey = new TPopupMenu(this);
    pmKey->SetName("pmKey");
    auto item = [this](const char* name, const char* caption,
                       void (TSchemeForm::*click)(TComponent*)) {
        auto* made = new TMenuItem(this);
        made->SetName(name);
        made->SetCaption(caption);
        made->OnClick = Handler(click);
        pmKey->Items()->Add(made);
        return made;
    };
    miOwnSound = item("miOwnSound", "&Own Sound...", &TSchemeForm::miOwnSoundClick);
    miOwnReleaseSound =
        item("miOwnReleaseSound", "Own &Release Sound...", &TSchemeForm::miOwnReleaseSoundClick);
    miKeyTypeSound =
        item("miKeyTypeSound", "&Use the Key Type's Sound", &TSchemeForm::miKeyTypeSoundClick);

    tmTestRelease = new TTimer(this);
    tmTestRelease->SetName("tmTestRelease");
    tmTestRelease->SetEnabled(false);
    tmTestRelease->SetInterval(kTestReleaseDelay);
    tmTestRelease->SetOnTimer(Handler(&TSchemeForm::tmTestReleaseTimer));

    OD = new TOpenDialog(this);
    OD->SetName("OD");
    OD->Filter = "Sound Files(*.wav; *.mid)|*.wav;*.mid";
    OD->Options = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING;
}

void TSchemeForm::FormCreate() {
    FEditedScheme = std::make_unique<TMySchemeInfo>();
    // The controls are in view mode's states and the key types listed before a scheme file is
    // read: a file that cannot be read leaves a dialog that works, with nothing to save.
    FillKeyTypeList();
    SetEditMode(false);
    FModified = false;
    FillSchemeList();
}

void TSchemeForm::FormDestroy() {
    FEditedScheme.reset();
}

void TSchemeForm::AddEntry(SchemeEntry entry) {
    cbSchemeList->Add(entry.Name);
    FEntries.push_back(std::move(entry));
}

SchemeEntry TSchemeForm::CurrentScheme() const {
    const int index = cbSchemeList->ItemIndex();
    if (index < 0 || index >= static_cast<int>(FEntries.size()))
        return {};
    return FEntries[static_cast<std::size_t>(index)];
}

void TSchemeForm::FillSchemeList() {
    for (SchemeEntry& entry : ListSchemes(GetProgramDir()))
        AddEntry(std::move(entry));
    if (cbSchemeList->Count() > 0) {
        cbSchemeList->SetItemIndex(0);
        SelectionSteps();
    }
}

void TSchemeForm::FillKeyTypeList() {
    cbKeyTypeList->Clear();
    for (int type = 0; type < KeyTypeCount; ++type)
        cbKeyTypeList->Add(KeyTypeName(type));
    cbKeyTypeList->SetItemIndex(0);
}

void TSchemeForm::SetEditMode(bool on) {
    FEditMode = on;
    btnSave->SetEnabled(on);
    btnFile->SetEnabled(on);
    btnReleaseNone->SetEnabled(on);
    btnReleaseFile->SetEnabled(on);
    btnNew->SetEnabled(!on);
    cbSchemeList->SetEnabled(!on);
    UpdateEntryButtons();
}

void TSchemeForm::UpdateEntryButtons() {
    // An entry the name guard refuses could stand for another scheme: it stays listed and
    // selectable, but is neither edited nor deleted. One whose file could not be read is not
    // edited either: its record holds no sounds of its own to save.
    const bool own = MayTouchScheme(GetProgramDir(), CurrentScheme());
    btnEdit->SetEnabled(!FEditMode && own && FLoaded);
    btnDelete->SetEnabled(!FEditMode && own);
}

void TSchemeForm::HighlightKeyType(int keyType) {
    for (TPanel* panel : FKeyPanels) {
        const bool chosen = panel->Tag == keyType;
        panel->SetFontColor(chosen ? clMaroon : clBlack);
        panel->SetBevelOuter(chosen ? TBevelCut::bvLowered : TBevelCut::bvRaised);
    }
}

void TSchemeForm::SelectionSteps() {
    // Until the file is read the entry cannot be edited, also when reading it fails; no key of
    // another scheme stays marked.
    FLoaded = false;
    UpdateEntryButtons();
    FKeySounds.Clear();
    FPickedPanel = -1;
    UpdateKeyMarks();
    LoadScheme(GetProgramDir(), CurrentScheme(), *FEditedScheme);
    LoadSchemeKeySounds(GetProgramDir(), CurrentScheme(), FKeySounds);
    FLoaded = true;
    UpdateEntryButtons();
    UpdateKeyMarks();
    cbKeyTypeList->SetItemIndex(0);
    ShowSounds();
}

void TSchemeForm::cbSchemeListSelect(TComponent*) {
    SelectionSteps();
}

void TSchemeForm::cbKeyTypeListSelect(TComponent*) {
    const int keyType = cbKeyTypeList->ItemIndex();
    FPickedPanel = -1;
    HighlightKeyType(keyType);
    ShowSounds();
}

void TSchemeForm::Panel2Click(TComponent* Sender) {
    SelectPanel(PanelIndex(Sender));
}

int TSchemeForm::PanelIndex(const TComponent* panel) const {
    const auto at = std::find(FKeyPanels.begin(), FKeyPanels.end(), panel);
    return at == FKeyPanels.end() ? -1 : static_cast<int>(at - FKeyPanels.begin());
}

void TSchemeForm::SelectPanel(int index) {
    if (index < 0)
        return;
    const int keyType = FKeyPanels[static_cast<std::size_t>(index)]->Tag;
    cbKeyTypeList->SetItemIndex(keyType);
    FPickedPanel = index;
    ShowSounds();
    HighlightKeyType(keyType);
}

std::optional<KeyPlace> TSchemeForm::ShownKey() const {
    if (FPickedPanel < 0)
        return std::nullopt;
    const auto index = static_cast<std::size_t>(FPickedPanel);
    const KeyPlace key = KeyPanelKeys[index].Place;
    if (FKeyPanels[index]->Tag != cbKeyTypeList->ItemIndex() || !HasOwnSound(FKeySounds, key))
        return std::nullopt;
    return key;
}

ShownSounds TSchemeForm::CurrentSounds() const {
    const int keyType = cbKeyTypeList->ItemIndex();
    return ShownSoundsOf(FKeySounds, keyType, FEditedScheme->GetSound(keyType), ShownKey());
}

void TSchemeForm::ShowSounds() {
    const ShownSounds sounds = CurrentSounds();
    edtSoundFile->SetText(sounds.Press);
    edtReleaseFile->SetText(sounds.Release);
}

void TSchemeForm::UpdateKeyMarks() {
    for (std::size_t i = 0; i < FKeyPanels.size(); ++i)
        FKeyPanels[i]->SetMarked(HasOwnSound(FKeySounds, KeyPanelKeys[i].Place));
}

bool TSchemeForm::ChooseSound(std::string& name) {
    if (!OD->Execute())
        return false;
    name = BringSoundIn(GetProgramDir(), CurrentScheme(), OD->FileName);
    return true;
}

void TSchemeForm::btnFileClick(TComponent*) {
    std::string name;
    if (!ChooseSound(name))
        return;
    const int keyType = cbKeyTypeList->ItemIndex();
    FEditedScheme->SetSound(keyType, name);
    TypeSoundChosen(FKeySounds, keyType, name);
    FModified = true;
    // The type's sound is shown from here on, whichever key was picked.
    FPickedPanel = -1;
    ShowSounds();
    const std::vector<KeyPlace> own = KeysWithOwnPress(FKeySounds, keyType);
    if (!own.empty() && AskYesNo(kOwnKeysTakeNewSound)) {
        DropOwnPress(FKeySounds, own);
        UpdateKeyMarks();
    }
}

void TSchemeForm::btnReleaseFileClick(TComponent*) {
    std::string name;
    if (!ChooseSound(name))
        return;
    SetTypeReleaseSound(FKeySounds, cbKeyTypeList->ItemIndex(), name);
    FModified = true;
    FPickedPanel = -1;
    ShowSounds();
}

void TSchemeForm::btnReleaseNoneClick(TComponent*) {
    const int keyType = cbKeyTypeList->ItemIndex();
    if (keyType < 0 || FKeySounds.TypeRelease[static_cast<std::size_t>(keyType)].empty())
        return;
    SetTypeReleaseSound(FKeySounds, keyType, "");
    FModified = true;
    FPickedPanel = -1;
    ShowSounds();
}

void TSchemeForm::KeyPanelContextPopup(TKeyPanel* panel, POINT at) {
    // Own sounds are chosen like the types' ones: in edit mode only.
    const int index = PanelIndex(panel);
    if (!FEditMode || index < 0)
        return;
    SelectPanel(index);
    FMenuPanel = index;
    miKeyTypeSound->Enabled =
        HasOwnSound(FKeySounds, KeyPanelKeys[static_cast<std::size_t>(index)].Place);
    pmKey->PopupComponent = panel;
    pmKey->Popup(at.x, at.y);
}

void TSchemeForm::miOwnSoundClick(TComponent*) {
    std::string name;
    // The command arrives after the menu has closed: the dialog may have left edit mode.
    if (!FEditMode || FMenuPanel < 0 || !ChooseSound(name))
        return;
    SetOwnPressSound(FKeySounds, KeyPanelKeys[static_cast<std::size_t>(FMenuPanel)].Place, name);
    FModified = true;
    UpdateKeyMarks();
    SelectPanel(FMenuPanel);
}

void TSchemeForm::miOwnReleaseSoundClick(TComponent*) {
    std::string name;
    if (!FEditMode || FMenuPanel < 0 || !ChooseSound(name))
        return;
    SetOwnReleaseSound(FKeySounds, KeyPanelKeys[static_cast<std::size_t>(FMenuPanel)].Place, name);
    FModified = true;
    UpdateKeyMarks();
    SelectPanel(FMenuPanel);
}

void TSchemeForm::miKeyTypeSoundClick(TComponent*) {
    if (!FEditMode || FMenuPanel < 0)
        return;
    UseKeyTypeSounds(FKeySounds, KeyPanelKeys[static_cast<std::size_t>(FMenuPanel)].Place);
    FModified = true;
    UpdateKeyMarks();
    SelectPanel(FMenuPanel);
}

void TSchemeForm::btnSaveClick(TComponent*) {
    // The key sounds first: the scheme file is what makes a scheme, and a failure leaves both
    // to be saved again.
    SaveSchemeKeySounds(GetProgramDir(), CurrentScheme(), FKeySounds);
    SaveScheme(GetProgramDir(), CurrentScheme(), *FEditedScheme);
    SetEditMode(false);
    FModified = false;
}

void TSchemeForm::btnEditClick(TComponent*) {
    SetEditMode(true);
}

void TSchemeForm::btnTestSoundClick(TComponent*) {
    // The path the key sounds take; an entry that may not touch the disk could name another
    // scheme's folder, and plays nothing. What plays is what the fields show: the picked key's
    // own sounds or its type's.
    tmTestRelease->SetEnabled(false);
    const SchemeEntry entry = CurrentScheme();
    if (!MayTouchScheme(GetProgramDir(), entry))
        return;
    const ShownSounds sounds = CurrentSounds();
    PlayTestSound(KeySoundPath(GetProgramDir(), entry.Name, sounds.Press));
    if (sounds.Release.empty())
        return;
    FTestRelease = KeySoundPath(GetProgramDir(), entry.Name, sounds.Release);
    tmTestRelease->SetEnabled(true);
}

void TSchemeForm::tmTestReleaseTimer(TComponent*) {
    tmTestRelease->SetEnabled(false);
    PlayTestSound(FTestRelease);
}

void TSchemeForm::btnNewClick(TComponent*) {
    std::string name;
    if (!AskNewSchemeName(this, name))
        return;
    if (FileExists(SchemeFilePath(GetProgramDir(), name))) {
        ShowInfo(Format("Scheme %s Exists!", {name}));
        for (int i = 0; i < cbSchemeList->Count(); ++i)
            if (SameName(cbSchemeList->Items(i), name)) {
                cbSchemeList->SetItemIndex(i);
                SelectionSteps();
                break;
            }
        if (!DirectoryExists(SchemeSoundFolder(GetProgramDir(), name)))
            CreateScheme(GetProgramDir(), name);
        return;
    }
    AddEntry({name, true});
    cbSchemeList->SetItemIndex(cbSchemeList->Count() - 1);
    FEditedScheme->Clear();
    SelectionSteps();
    if (!DirectoryExists(SchemeSoundFolder(GetProgramDir(), name)))
        CreateScheme(GetProgramDir(), name);
    SetEditMode(true);
}

void TSchemeForm::btnDeleteClick(TComponent*) {
    const SchemeEntry entry = CurrentScheme();
    if (SameName(entry.Name, kSystemScheme)) {
        ShowInfo("The \"Fight\" is System Scheme, Can't delete!");
        return;
    }
    if (!AskYesNo(Format("Confirm delete %s?", {entry.Name})))
        return;
    DeleteScheme(GetProgramDir(), entry);
    const int index = cbSchemeList->ItemIndex();
    if (index >= 0) {
        cbSchemeList->Delete(index);
        FEntries.erase(FEntries.begin() + index);
    }
    if (cbSchemeList->Count() > 0)
        cbSchemeList->SetItemIndex(0);
    SelectionSteps();
}

void TSchemeForm::btnCloseClick(TComponent*) {
    Close();
}

bool TSchemeForm::HasUnsavedChange() const {
    return btnSave->Enabled() && FModified;
}

bool TSchemeForm::FormCloseQuery() {
    if (HasUnsavedChange() &&
        AskYesNo(Format("Scheme %s have modify, Save it?", {CurrentScheme().Name}))) {
        // The dialog closes whatever happens: an error of the save is shown, not left to stop
        // the closing (and the tray menu's rebuilding after it).
        try {
            btnSaveClick(this);
        } catch (...) {
            Application.HandleException();
        }
    }
    return true;
}

void ShowSchemeSet(TComponent* owner, TPackImporter importPack, TSchemeForm** shown) {
    TOwned<TSchemeForm> form(TForm::Create<TSchemeForm>(owner));
    form->OnPackDropped = std::move(importPack);
    if (form->OnPackDropped)
        DragAcceptFiles(form->Handle(), TRUE);
    struct Shown {
        TSchemeForm** at;
        ~Shown() {
            if (at)
                *at = nullptr;
        }
    } scope{shown};
    if (shown)
        *shown = form.get();
    form->ShowModal();
}

LRESULT TSchemeForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES) {
        auto drop = reinterpret_cast<HDROP>(wParam);
        try {
            PackDropped(drop);
        } catch (...) {
            Application.HandleException();
        }
        DragFinish(drop);
        return 0;
    }
    return TForm::WndProc(message, wParam, lParam);
}

void TSchemeForm::PackDropped(HDROP drop) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (!OnPackDropped || count == 0)
        return;
    if (FEditMode) {
        ShowInfo("Save the scheme you are editing before importing a sound pack.");
        return;
    }
    // By their UTF-16 names: a pack named outside the ANSI code page imports too.
    std::vector<std::string> paths;
    for (UINT i = 0; i < count; ++i) {
        std::u16string path(DragQueryFileW(drop, i, nullptr, 0), u'\0');
        DragQueryFileW(drop, i, reinterpret_cast<wchar_t*>(path.data()),
                       static_cast<UINT>(path.size() + 1));
        paths.push_back(Utf16ToUtf8(path));
    }
    OnPackDropped(paths);
}

void TSchemeForm::SchemeImported(const std::string& name) {
    AddEntry({name, true});
    if (FEditMode)
        return;
    cbSchemeList->SetItemIndex(cbSchemeList->Count() - 1);
    SelectionSteps();
}
