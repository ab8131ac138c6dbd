#pragma once
// IUnknown for the host's COM objects that offer one interface: reference counting, and
// QueryInterface answering for IUnknown and that interface.
#include <windows.h>

#include <atomic>

namespace tabulon::preview::host {

template <class Interface>
class ComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, interfaceId_)) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    explicit ComObject(REFIID interfaceId) : interfaceId_(interfaceId) {}
    virtual ~ComObject() = default;

private:
    const IID& interfaceId_;
    std::atomic<ULONG> refs_{1};
};

}  // namespace tabulon::preview::host
