#pragma once
// The program's window classes: each is registered once, by this helper, on first use.
#include <windows.h>

// Registers `windowClass` for the program's module unless a class of that name is registered
// already (the module instance is filled in here). A refusal raises an error that says why.
void RegisterWindowClass(WNDCLASSA windowClass);
