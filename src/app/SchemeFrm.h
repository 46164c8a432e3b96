#pragma once
// The Scheme Set dialog: the schemes on disk, the sound file of each key type chosen on a
// keyboard picture or in a list, tried, saved; schemes created and deleted. Keys of the
// picture with sounds of their own are marked; in edit mode a key's context menu gives it its
// own press or release sound, or takes them away, and each key type has a release sound.
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Menus.h"
#include "PubClassUnit.h"
#include "SchemeDisk.h"
#include "SchemeKeyEdits.h"
#include "StdCtrls.h"
#include "Timer.h"

#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Imports dropped sound packs (UTF-8 paths); each new scheme comes back through SchemeImported.
using TPackImporter = std::function<void(const std::vector<std::string>& paths)>;

class TKeyPanel;

class TSchemeForm : public TForm {
public:
    explicit TSchemeForm(TComponent* AOwner);
    // Packs dropped on the dialog go here; without one the dialog takes no drops.
    TPackImporter OnPackDropped;
    // A pack became the scheme `name`: it is listed, and shown unless a scheme is being edited.
    void SchemeImported(const std::string& name);
    // A sound was chosen and not saved: closing would ask about it.
    bool HasUnsavedChange() const;

    TLabel* lblScheme;
    TComboBox* cbSchemeList;
    TButton* btnNew;
    TButton* btnEdit;
    TButton* btnSave;
    TButton* btnTestSound;
    TButton* btnDelete;
    TButton* btnClose;
    TLabel* lblKeys;
    TComboBox* cbKeyTypeList;
    TLabel* lblSoundFile;
    TEdit* edtSoundFile;
    TSpeedButton* btnFile;
    TPanel* pnlKeyborad;
    // In the keyboard picture's free corner right of F12, under the sound file.
    TLabel* lblRelease;
    TEdit* edtReleaseFile;
    TSpeedButton* btnReleaseNone;
    TSpeedButton* btnReleaseFile;
    TBevel* Bevel1;
    TOpenDialog* OD;
    TPopupMenu* pmKey;
    TMenuItem* miOwnSound;
    TMenuItem* miOwnReleaseSound;
    TMenuItem* miKeyTypeSound;
    // Test Sound's release, a moment after the press.
    TTimer* tmTestRelease;

protected:
    void FormCreate() override;
    void FormDestroy() override;
    bool FormCloseQuery() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void cbSchemeListSelect(TComponent* Sender);
    void cbKeyTypeListSelect(TComponent* Sender);
    void Panel2Click(TComponent* Sender);
    void btnFileClick(TComponent* Sender);
    void btnNewClick(TComponent* Sender);
    void btnEditClick(TComponent* Sender);
    void btnSaveClick(TComponent* Sender);
    void btnTestSoundClick(TComponent* Sender);
    void btnDeleteClick(TComponent* Sender);
    void btnCloseClick(TComponent* Sender);
    void btnReleaseFileClick(TComponent* Sender);
    void btnReleaseNoneClick(TComponent* Sender);
    void miOwnSoundClick(TComponent* Sender);
    void miOwnReleaseSoundClick(TComponent* Sender);
    void miKeyTypeSoundClick(TComponent* Sender);
    void tmTestReleaseTimer(TComponent* Sender);
    void KeyPanelContextPopup(TKeyPanel* panel, POINT at);

private:
    void FillSchemeList();
    void FillKeyTypeList();
    void HighlightKeyType(int keyType);
    void SetEditMode(bool on);
    // Edit and Delete as the mode and the selected entry allow.
    void UpdateEntryButtons();
    // Loads the selected scheme and shows key type 0; the picture keeps its highlight.
    void SelectionSteps();
    // The selected list entry; an empty name that may touch nothing when none is selected.
    SchemeEntry CurrentScheme() const;
    void AddEntry(SchemeEntry entry);
    void PackDropped(HDROP drop);
    int PanelIndex(const TComponent* panel) const;
    // Picks a panel: its key type is shown, with the key's own sounds when it has some.
    void SelectPanel(int index);
    // The picked key when it has sounds of its own and its type is the one shown.
    std::optional<KeyPlace> ShownKey() const;
    ShownSounds CurrentSounds() const;
    // The two fields show what Test Sound plays.
    void ShowSounds();
    void UpdateKeyMarks();
    // The file dialog; the chosen file is brought into the scheme's folder and its bare name
    // given. False when the user cancelled.
    bool ChooseSound(std::string& name);

    std::unique_ptr<TMySchemeInfo> FEditedScheme;
    // The scheme's per-key sounds, as edited; saved with the scheme file.
    TSchemeKeySounds FKeySounds;
    // The panel last picked, -1 after a key type was chosen in the list; and the one whose
    // context menu is open.
    int FPickedPanel = -1;
    int FMenuPanel = -1;
    std::string FTestRelease;
    bool FModified = false;
    bool FEditMode = false;
    // The record holds the selected entry's scheme: its file was read, or it has none.
    bool FLoaded = false;
    // One per list entry, in the list's order: whether it names its own file.
    std::vector<SchemeEntry> FEntries;
    std::vector<TKeyPanel*> FKeyPanels;
    // The key captions' fonts, largest first.
    std::vector<UniqueFont> FKeyFonts;
};

// Runs the dialog modally over `owner` and frees it; packs dropped on it go to `importPack`.
// `*shown` points at the dialog while it is open.
void ShowSchemeSet(TComponent* owner, TPackImporter importPack = {}, TSchemeForm** shown = nullptr);
