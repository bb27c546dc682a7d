#pragma once
// Owns one COM interface reference; released exactly once.

#include <unknwn.h>

#include <utility>

namespace vel::com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds.
  static ComPtr adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  // Adds a reference of its own.
  static ComPtr share(T* p) {
    if (p) p->AddRef();
    return adopt(p);
  }
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases what it held first.
  T** out() {
    reset();
    return &p_;
  }
  void** outVoid() { return reinterpret_cast<void**>(out()); }

 private:
  T* p_ = nullptr;
};

}  // namespace vel::com
