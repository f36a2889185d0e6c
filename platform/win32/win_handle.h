// Small RAII owners of Win32 handles.
#pragma once

#include <windows.h>

#include <utility>

namespace vh {

// A kernel handle (file, process, thread); INVALID_HANDLE_VALUE and null
// both mean "none".
class WinHandle {
public:
    WinHandle() = default;
    explicit WinHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    WinHandle(const WinHandle&) = delete;
    WinHandle& operator=(const WinHandle&) = delete;
    WinHandle(WinHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    WinHandle& operator=(WinHandle&& other) noexcept {
        if (this != &other) {
            close();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    ~WinHandle() { close(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    bool close() {
        if (!h_) return true;
        return CloseHandle(std::exchange(h_, nullptr)) != 0;
    }

private:
    HANDLE h_ = nullptr;
};

// A GDI object (font, brush, bitmap).
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        reset(std::exchange(other.object_, nullptr));
        return *this;
    }
    ~GdiObject() { reset(); }
    T get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset(T object = nullptr) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }

private:
    T object_ = nullptr;
};

// A COM interface pointer, released when its owner ends.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (object_) object_->Release();
    }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Where a creating call stores the pointer; only for an empty ComPtr:
    // typed for a getter, untyped for CoCreateInstance and QueryInterface.
    T** out() { return &object_; }
    void** out_void() { return reinterpret_cast<void**>(&object_); }

private:
    T* object_ = nullptr;
};

// An icon loaded at a chosen size (LoadImageW without LR_SHARED).
class Icon {
public:
    Icon() = default;
    explicit Icon(HICON icon) : icon_(icon) {}
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;
    Icon& operator=(Icon&& other) noexcept {
        if (icon_) DestroyIcon(icon_);
        icon_ = std::exchange(other.icon_, nullptr);
        return *this;
    }
    ~Icon() {
        if (icon_) DestroyIcon(icon_);
    }
    HICON get() const { return icon_; }

private:
    HICON icon_ = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;
using Pen = GdiObject<HPEN>;

}  // namespace vh
