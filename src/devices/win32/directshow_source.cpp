#include <windows.h>
#include <dshow.h>
#include <ocidl.h>

#include "devices/win32/directshow_source.h"

namespace {
// Owns one COM interface pointer.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** Out() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }

 private:
  VARIANT v_;
};

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw DeviceSourceError(what, uint32_t(hr));
}

// A property of the bag as text; absent unless the read answers S_OK.
std::optional<u16> ReadBagText(IPropertyBag* bag, const wchar_t* name) {
  Variant v;
  if (bag->Read(name, v.get(), nullptr) != S_OK) return std::nullopt;
  if (v.get()->vt != VT_BSTR) Check(VariantChangeType(v.get(), v.get(), 0, VT_BSTR), "property is not text");
  const BSTR s = v.get()->bstrVal;
  if (!s) return u16();
  return u16(reinterpret_cast<const char16_t*>(s), SysStringLen(s));
}

class DirectShowEntries final : public CaptureEntries {
 public:
  ComPtr<ICreateDevEnum> devEnum;
  ComPtr<IEnumMoniker> monikers;

  bool Next(CaptureEntry* entry) override {
    ComPtr<IMoniker> moniker;
    if (monikers->Next(1, moniker.Out(), nullptr) != S_OK) return false;
    ComPtr<IPropertyBag> bag;
    Check(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(bag.Out())),
          "BindToStorage failed");
    entry->FriendlyName = ReadBagText(bag.get(), L"FriendlyName");
    entry->DevicePath = ReadBagText(bag.get(), L"DevicePath");
    return true;
  }
};
}  // namespace

std::unique_ptr<CaptureEntries> DirectShowCaptureSource::Open(CaptureCategory category) {
  auto entries = std::make_unique<DirectShowEntries>();
  Check(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                         IID_ICreateDevEnum, reinterpret_cast<void**>(entries->devEnum.Out())),
        "the system device enumerator cannot be created");
  const CLSID& cat =
      category == CaptureCategory::VideoInput ? CLSID_VideoInputDeviceCategory : CLSID_AudioInputDeviceCategory;
  if (entries->devEnum->CreateClassEnumerator(cat, entries->monikers.Out(), 0) != S_OK) return nullptr;
  if (!entries->monikers.get()) return nullptr;
  return entries;
}

void Win32ComApartment::Initialize() {
  if (SUCCEEDED(CoInitialize(nullptr))) ++balanced_;
}

void Win32ComApartment::Uninitialize() {
  if (balanced_ == 0) return;
  --balanced_;
  CoUninitialize();
}
