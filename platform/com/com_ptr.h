// ComPtr: owns one reference to an interface and releases it.
#pragma once

#include <utility>

#include "platform/com/unknown.h"

namespace vexamor::com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Adds a reference of its own; the caller keeps its reference.
  explicit ComPtr(T* p) : p_(p) {
    if (p_ != nullptr) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  // Takes over a reference that the caller already owns (an out-parameter's).
  static ComPtr attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* detach() { return std::exchange(p_, nullptr); }

  // Releases the current reference and hands out the slot for an out-parameter.
  T** out() {
    reset();
    return &p_;
  }
  // The same slot typed for calls that take void** (QueryInterface, CoCreateInstance).
  void** outVoid() { return reinterpret_cast<void**>(out()); }

  template <class U>
  HRESULT queryTo(ComPtr<U>* target) const {
    if (p_ == nullptr) return E_POINTER;
    return p_->QueryInterface(InterfaceId<U>::value(), target->outVoid());
  }

 private:
  T* p_ = nullptr;
};

}  // namespace vexamor::com
