// Packs dropped on the Scheme Set dialog: the dialog hands every path to its importer, by its
// UTF-16 name, and shows each new scheme selected as it comes; a failed import leaves the list
// as it was.
#include "Application.h"
#include "SchemeFrm.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The platform's drop data for files, as Explorer hands it over (the receiver frees it).
HGLOBAL DropOf(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths)
        list += path + L'\0';
    list += L'\0';
    const size_t bytes = list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), bytes);
    GlobalUnlock(memory);
    return memory;
}

} // namespace

TEST(SchemeDrop, EveryDroppedPackGoesToTheImporterAndEachNewSchemeIsShown) {
    Application.Initialize();
    TOwned<TSchemeForm> form(TForm::Create<TSchemeForm>(nullptr));
    std::vector<std::vector<std::string>> asked;
    form->OnPackDropped = [&](const std::vector<std::string>& paths) { asked.push_back(paths); };
    const int before = form->cbSchemeList->Count();
    SendMessageW(form->Handle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(DropOf({L"C:\\packs\\cream", L"D:\\\u30D1\u30C3\u30AF"})),
                 0);
    // The second name is Japanese: UTF-8, whatever the code page.
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], (std::vector<std::string>{"C:\\packs\\cream",
                                                  "D:\\\xE3\x83\x91\xE3\x83\x83\xE3\x82\xAF"}));
    EXPECT_EQ(form->cbSchemeList->Count(), before); // nothing until an import is done

    form->SchemeImported("Dropped Pack");
    form->SchemeImported("Dropped Pack 2");
    ASSERT_EQ(form->cbSchemeList->Count(), before + 2);
    EXPECT_EQ(form->cbSchemeList->Items(form->cbSchemeList->ItemIndex()), "Dropped Pack 2");
}
