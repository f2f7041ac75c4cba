// COM in-process server entry points of the virtual microscope: the class factory and the
// self-registration that regsvr32 calls.
#include <windows.h>

#include <new>
#include <string>

#include "vcam_config_win.h"
#include "vcam_filter_win.h"

namespace {

HMODULE g_module = nullptr;
LONG g_locks = 0;

class ClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        VcamObjectCreated();  // the factory is static: a reference counts as a live object
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        VcamObjectDestroyed();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        return CreateVcamFilter(outer, riid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&g_locks);
        else
            InterlockedDecrement(&g_locks);
        return S_OK;
    }
};

ClassFactory g_factory;

std::wstring ModulePath() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(g_module, buf, MAX_PATH);
    return std::wstring(buf, n);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
    }
    return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_VardeloTestCam) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, out);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() {
    return VcamObjectCount() == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

// Registers the COM class and re-announces every configured instance as a video input device.
extern "C" HRESULT __stdcall DllRegisterServer() {
    HRESULT hr = RegisterVcamServer(ModulePath());
    if (FAILED(hr)) return hr;
    for (const std::wstring& name : ListVcamInstances()) {
        HRESULT r = RegisterVcamInstance(name);
        if (FAILED(r)) hr = r;
    }
    return hr;
}

// Withdraws every configured instance from the device list and removes the COM class; the
// instances' configuration stays, so registering again brings them back.
extern "C" HRESULT __stdcall DllUnregisterServer() {
    for (const std::wstring& name : ListVcamInstances()) UnregisterVcamInstance(name);
    return UnregisterVcamServer();
}
