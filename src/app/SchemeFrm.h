#pragma once
// The Scheme Set dialog: the schemes on disk, the sound file of each key type chosen on a
// keyboard picture or in a list, tried, saved; schemes created and deleted.
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "PubClassUnit.h"
#include "SchemeDisk.h"
#include "StdCtrls.h"

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Imports dropped sound packs (UTF-8 paths); each new scheme comes back through SchemeImported.
using TPackImporter = std::function<void(const std::vector<std::string>& paths)>;

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
    TBevel* Bevel1;
    TOpenDialog* OD;

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

    std::unique_ptr<TMySchemeInfo> FEditedScheme;
    bool FModified = false;
    bool FEditMode = false;
    // The record holds the selected entry's scheme: its file was read, or it has none.
    bool FLoaded = false;
    // One per list entry, in the list's order: whether it names its own file.
    std::vector<SchemeEntry> FEntries;
    std::vector<TPanel*> FKeyPanels;
    // The key captions' fonts, largest first.
    std::vector<UniqueFont> FKeyFonts;
};

// Runs the dialog modally over `owner` and frees it; packs dropped on it go to `importPack`.
// `*shown` points at the dialog while it is open.
void ShowSchemeSet(TComponent* owner, TPackImporter importPack = {}, TSchemeForm** shown = nullptr);
