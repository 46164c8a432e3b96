#pragma once
// The English words spoken for each key in speech mode.
#include <string>

// GetKeyState's shape, so the lock keys' state can come from the platform or from a test.
using TKeyStateFn = short (*)(int virtualKey);

// The spoken text of a virtual-key code. The three lock keys ask `getKeyState` about
// themselves and append the lock word.
std::string KeySpeechText(unsigned virtualKey, TKeyStateFn getKeyState);
