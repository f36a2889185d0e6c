// Small RAII owners for COM calls: an interface pointer, the thread's
// apartment, a BSTR and a VARIANT.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace vh {

// Releases a COM interface pointer when it goes out of scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T** out() { return &p_; }
    void** out_void() { return reinterpret_cast<void**>(&p_); }
    explicit operator bool() const { return p_ != nullptr; }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};

// One apartment for the calls of a scope; left as found when the thread
// had one already (of either kind: COM is usable in both).
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : b_(SysAllocString(text.c_str())) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }

private:
    BSTR b_;
};

// A VARIANT holding a string, or nothing (VT_EMPTY); cleared on
// destruction.
class StringVariant {
public:
    StringVariant() { VariantInit(&v_); }
    explicit StringVariant(const std::wstring& text) {
        VariantInit(&v_);
        v_.vt = VT_BSTR;
        v_.bstrVal = SysAllocString(text.c_str());
    }
    ~StringVariant() { VariantClear(&v_); }
    StringVariant(const StringVariant&) = delete;
    StringVariant& operator=(const StringVariant&) = delete;
    VARIANT get() const { return v_; }

private:
    VARIANT v_;
};

}  // namespace vh
