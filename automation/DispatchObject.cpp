#include "DispatchObject.h"

#include "HResult.h"

HRESULT DispatchObject::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DispatchObject::AddRef() {
    return ++references_;
}

ULONG DispatchObject::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}
