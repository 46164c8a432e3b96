#pragma once
// The owner of a COM interface pointer: one reference, released when it goes.
#include <wrl/client.h>

template <class T> using TComPtr = Microsoft::WRL::ComPtr<T>;
