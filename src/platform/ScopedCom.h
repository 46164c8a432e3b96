#pragma once
// The component object model for the calling thread, for the lifetime of this object. Speech
// needs it; a thread where it could not be initialised simply finds no speech engine.
#include <objbase.h>

class TScopedCom {
public:
    TScopedCom() : FInitialized(SUCCEEDED(CoInitialize(nullptr))) {}
    ~TScopedCom() {
        if (FInitialized)
            CoUninitialize();
    }
    TScopedCom(const TScopedCom&) = delete;
    TScopedCom& operator=(const TScopedCom&) = delete;

private:
    bool FInitialized;
};
