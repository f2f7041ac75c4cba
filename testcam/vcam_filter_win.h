// The virtual microscope's DirectShow source filter, written in plain COM.
#pragma once
#include <windows.h>

// Creates a new filter object (the class factory's CreateInstance).
HRESULT CreateVcamFilter(IUnknown* outer, REFIID riid, void** out);

// Live COM objects of this DLL, for DllCanUnloadNow.
void VcamObjectCreated();
void VcamObjectDestroyed();
LONG VcamObjectCount();
