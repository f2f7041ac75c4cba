// A minimal owning COM pointer: releases on scope exit; Attach/Detach for hand-over.
#pragma once
#include <unknwn.h>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held first.
    T** Put() { Reset(); return &p_; }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* Detach() { T* p = p_; p_ = nullptr; return p; }
    void Reset() { if (p_) { p_->Release(); p_ = nullptr; } }
private:
    T* p_ = nullptr;
};

// Releases and clears a raw owned interface pointer.
template <class T>
void SafeRelease(T*& p) {
    if (p) { p->Release(); p = nullptr; }
}
