#include "ImageList.h"

#include "Exception.h"
#include "LastError.h"

UniqueIcon DuplicateIcon(HICON icon) {
    if (!icon)
        return UniqueIcon();
    UniqueIcon copy(CopyIcon(icon));
    ThrowLastErrorIf(!copy, "Cannot copy the icon");
    return copy;
}

int TImageList::AddIcon(HICON icon) {
    FIcons.push_back(DuplicateIcon(icon));
    return Count() - 1;
}

void TImageList::Delete(int index) {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds");
    FIcons.erase(FIcons.begin() + index);
}

void TImageList::GetIcon(int index, UniqueIcon& icon) const {
    icon = DuplicateIcon(FIcons.at(index).Get());
}
