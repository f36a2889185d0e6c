// Small RAII owners for COM calls: the thread's apartment, a BSTR and a
// VARIANT; interface pointers are win_handle.h's ComPtr.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "platform/win32/win_handle.h"

namespace vh {

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
