#include "CodePage.h"

namespace {

bool In(int byte, int low, int high) {
    return byte >= low && byte <= high;
}

// Lead bytes 0x81-0x9F and 0xE0-0xFC; trail bytes 0x40-0x7E and 0x80-0xFC.
int ShiftJisLength(unsigned char first, int second) {
    if (!In(first, 0x81, 0x9F) && !In(first, 0xE0, 0xFC))
        return 1;
    return In(second, 0x40, 0x7E) || In(second, 0x80, 0xFC) ? 2 : 0;
}

// Lead bytes 0x81-0xFE; trail bytes 0x40-0x7E and 0x80-0xFE.
int GbkLength(unsigned char first, int second) {
    if (!In(first, 0x81, 0xFE))
        return 1;
    return In(second, 0x40, 0x7E) || In(second, 0x80, 0xFE) ? 2 : 0;
}

// Lead bytes 0x81-0xFE; trail bytes A-Z, a-z and 0x81-0xFE.
int UhcLength(unsigned char first, int second) {
    if (!In(first, 0x81, 0xFE))
        return 1;
    return In(second, 0x41, 0x5A) || In(second, 0x61, 0x7A) || In(second, 0x81, 0xFE) ? 2 : 0;
}

// Lead bytes 0x81-0xFE; trail bytes 0x40-0x7E and 0xA1-0xFE.
int Big5Length(unsigned char first, int second) {
    if (!In(first, 0x81, 0xFE))
        return 1;
    return In(second, 0x40, 0x7E) || In(second, 0xA1, 0xFE) ? 2 : 0;
}

int SingleByteLength(unsigned char, int) {
    return 1;
}

} // namespace

CharLengthRule CharLengthRuleOf(unsigned codePage) {
    switch (codePage) {
    case 932:
        return ShiftJisLength;
    case 936:
        return GbkLength;
    case 949:
        return UhcLength;
    case 950:
        return Big5Length;
    default:
        return SingleByteLength;
    }
}
