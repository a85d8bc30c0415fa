#pragma once
// Base for automation objects served in process: reference counting and QueryInterface done once.

#include "ComTypes.h"

#include <atomic>

class DispatchObject : public IDispatch {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

protected:
    DispatchObject() = default;
    virtual ~DispatchObject() = default;

private:
    std::atomic<ULONG> references_{1};
};
