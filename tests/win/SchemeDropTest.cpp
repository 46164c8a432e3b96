// A pack dropped on the Scheme Set dialog: the dialog hands the path to its importer and shows
// the new scheme selected; a failed import leaves the list as it was.
#include "Application.h"
#include "SchemeFrm.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The platform's drop data for one file, as Explorer hands it over (the receiver frees it).
HGLOBAL DropOf(const std::string& path) {
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + path.size() + 2);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(), path.size() + 1);
    GlobalUnlock(memory);
    return memory;
}

} // namespace

TEST(SchemeDrop, ADroppedPackIsImportedAndShownSelected) {
    Application.Initialize();
    TOwned<TSchemeForm> form(TForm::Create<TSchemeForm>(nullptr));
    std::vector<std::string> asked;
    form->OnPackDropped = [&](const std::string& path) {
        asked.push_back(path);
        return std::string("Dropped Pack");
    };
    const int before = form->cbSchemeList->Count();
    SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf("C:\\packs\\cream")),
                 0);
    EXPECT_EQ(asked, std::vector<std::string>{"C:\\packs\\cream"});
    ASSERT_EQ(form->cbSchemeList->Count(), before + 1);
    EXPECT_EQ(form->cbSchemeList->Items(form->cbSchemeList->ItemIndex()), "Dropped Pack");

    form->OnPackDropped = [&](const std::string& path) {
        asked.push_back(path);
        return std::string(); // the import failed and said so
    };
    SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf("D:\\bad")), 0);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(form->cbSchemeList->Count(), before + 1);
    EXPECT_EQ(form->cbSchemeList->Items(form->cbSchemeList->ItemIndex()), "Dropped Pack");
}
