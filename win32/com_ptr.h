// ComPtr<T>: owns one reference to a COM object and gives it back when it lets go.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "win32/win32_types.h"

template <class T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  // Takes a reference of its own; the caller keeps its reference (use Attach to hand one over).
  ComPtr(T* p) noexcept : ptr_(p) { AddRefHeld(); }
  ComPtr(const ComPtr& other) noexcept : ptr_(other.ptr_) { AddRefHeld(); }
  ComPtr(ComPtr&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(const ComPtr<U>& other) noexcept : ptr_(other.Get()) {
    AddRefHeld();
  }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(ComPtr<U>&& other) noexcept : ptr_(other.Detach()) {}

  ~ComPtr() { ReleaseHeld(); }

  ComPtr& operator=(const ComPtr& other) noexcept {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr& operator=(const ComPtr<U>& other) noexcept {
    ComPtr(other).Swap(*this);
    return *this;
  }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr& operator=(ComPtr<U>&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  // Takes a reference of its own, like the constructor.
  ComPtr& operator=(T* p) noexcept {
    ComPtr(p).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) noexcept {
    Reset();
    return *this;
  }

  T* Get() const noexcept { return ptr_; }
  T* operator->() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }

  // The address of the held pointer, for out-parameters. It does not release what is held:
  // use it on an empty ComPtr, or use ReleaseAndGetAddressOf.
  T** GetAddressOf() noexcept { return &ptr_; }
  T* const* GetAddressOf() const noexcept { return &ptr_; }
  T** ReleaseAndGetAddressOf() noexcept {
    Reset();
    return &ptr_;
  }

  void Reset() noexcept {
    T* old = ptr_;
    ptr_ = nullptr;
    if (old) old->Release();
  }
  // Takes over the caller's reference (no AddRef).
  void Attach(T* p) noexcept {
    T* old = ptr_;
    ptr_ = p;
    if (old) old->Release();
  }
  // Hands the held reference to the caller (no Release).
  T* Detach() noexcept {
    T* p = ptr_;
    ptr_ = nullptr;
    return p;
  }
  // Gives the caller a reference of its own, for writing an out-parameter; E_POINTER for null.
  HRESULT CopyTo(T** out) const noexcept {
    if (!out) return E_POINTER;
    AddRefHeld();
    *out = ptr_;
    return S_OK;
  }
  void Swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

 private:
  void AddRefHeld() const noexcept {
    if (ptr_) ptr_->AddRef();
  }
  void ReleaseHeld() noexcept {
    if (ptr_) {
      T* old = ptr_;
      ptr_ = nullptr;
      old->Release();
    }
  }

  T* ptr_ = nullptr;
};

template <class T, class U>
bool operator==(const ComPtr<T>& a, const ComPtr<U>& b) noexcept {
  return a.Get() == b.Get();
}
template <class T>
bool operator==(const ComPtr<T>& a, std::nullptr_t) noexcept {
  return a.Get() == nullptr;
}
