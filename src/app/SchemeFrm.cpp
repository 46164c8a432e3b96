#include "SchemeFrm.h"

#include "Application.h"
#include "DataPaths.h"
#include "Exception.h"
#include "FileSystem.h"
#include "KeySound.h"
#include "KeyTypes.h"
#include "KeyboardPicture.h"
#include "NameRules.h"
#include "NewSchemeFrm.h"
#include "PackName.h"
#include "PubFunction.h"
#include "PubUnit.h"
#include "SchemeStore.h"

#include <algorithm>

namespace {

constexpr const char* kSystemScheme = "Fight";

// A key of the keyboard picture. Most captions are wider than a 20-pixel key in the dialog's
// font: each is drawn in the largest of a few smaller sizes at which it fits, broken at its
// blank ("Num" over "Lock"); only what fits at none is cut at the key's edges, and those keys
// name themselves in a tooltip.
class TKeyPanel : public TPanel {
public:
    TKeyPanel(TForm* form, TControl* parent, const std::vector<UniqueFont>& fonts)
        : TPanel(form, parent), FFonts(fonts) {}

protected:
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
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        DrawTextA(dc, caption.c_str(), length, &text, format);
        SelectObject(dc, previous);
    }

private:
    const std::vector<UniqueFont>& FFonts;
    int FFontIndex = -1;
    RECT FNeed{};
};

} // namespace

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
        {&Bevel1, "Bevel1", "", 0, 202, 505, 2},
    });
    lblScheme->FocusControl = cbSchemeList;
    lblKeys->FocusControl = cbKeyTypeList;
    lblSoundFile->FocusControl = edtSoundFile;
    cbSchemeList->OnSelect = Handler(&TSchemeForm::cbSchemeListSelect);
    cbKeyTypeList->OnSelect = Handler(&TSchemeForm::cbKeyTypeListSelect);
    cbKeyTypeList->DropDownCount = KeyTypeCount;
    edtSoundFile->SetReadOnly(true);
    btnFile->OnClick = Handler(&TSchemeForm::btnFileClick);
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
        FKeyPanels.push_back(panel);
    }

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
    // Until the file is read the entry cannot be edited, also when reading it fails.
    FLoaded = false;
    UpdateEntryButtons();
    LoadScheme(GetProgramDir(), CurrentScheme(), *FEditedScheme);
    FLoaded = true;
    UpdateEntryButtons();
    cbKeyTypeList->SetItemIndex(0);
    edtSoundFile->SetText(FEditedScheme->GetSound(0));
}

void TSchemeForm::cbSchemeListSelect(TComponent*) {
    SelectionSteps();
}

void TSchemeForm::cbKeyTypeListSelect(TComponent*) {
    const int keyType = cbKeyTypeList->ItemIndex();
    HighlightKeyType(keyType);
    edtSoundFile->SetText(FEditedScheme->GetSound(keyType));
}

void TSchemeForm::Panel2Click(TComponent* Sender) {
    const int keyType = Sender->Tag;
    cbKeyTypeList->SetItemIndex(keyType);
    edtSoundFile->SetText(FEditedScheme->GetSound(keyType));
    HighlightKeyType(keyType);
}

void TSchemeForm::btnFileClick(TComponent*) {
    if (!OD->Execute())
        return;
    const std::string name = BringSoundIn(GetProgramDir(), CurrentScheme(), OD->FileName);
    edtSoundFile->SetText(name);
    FEditedScheme->SetSound(cbKeyTypeList->ItemIndex(), name);
    FModified = true;
}

void TSchemeForm::btnSaveClick(TComponent*) {
    SaveScheme(GetProgramDir(), CurrentScheme(), *FEditedScheme);
    SetEditMode(false);
    FModified = false;
}

void TSchemeForm::btnEditClick(TComponent*) {
    SetEditMode(true);
}

void TSchemeForm::btnTestSoundClick(TComponent*) {
    // The path the key sounds take; an entry that may not touch the disk could name another
    // scheme's folder, and plays nothing.
    const SchemeEntry entry = CurrentScheme();
    if (!MayTouchScheme(GetProgramDir(), entry))
        return;
    PlayTestSound(KeySoundPath(GetProgramDir(), entry.Name,
                               FEditedScheme->GetSound(cbKeyTypeList->ItemIndex())));
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
