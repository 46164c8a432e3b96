#pragma once
// Icons the program keeps: its own copies, so that whoever gave an icon may destroy theirs.
#include "Component.h"
#include "UniqueHandle_win.h"

#include <vector>

// A copy of `icon` that the caller owns; empty for a null icon.
UniqueIcon DuplicateIcon(HICON icon);

// The few image-list operations the tray needs: a list of owned icons.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* AOwner) : TComponent(AOwner) {}
    int Count() const { return static_cast<int>(FIcons.size()); }
    int AddIcon(HICON icon);
    void Delete(int index);
    // Replaces `icon` with a copy of image `index`.
    void GetIcon(int index, UniqueIcon& icon) const;

private:
    std::vector<UniqueIcon> FIcons;
};
