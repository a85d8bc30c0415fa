#pragma once
// Per-thread initialisation and the ProgID registry that stands in for the system's class registration:
// automation servers register a factory under their ProgID at program start; clients create by ProgID.

#include "ComTypes.h"

#include <functional>
#include <string>

// S_OK on a thread's first call, S_FALSE on later ones; there is one apartment kind only.
HRESULT CoInitialize(void* reserved);
bool IsComInitialized();

// A factory returns a new object holding one reference for the caller, or a failure status.
using AutomationClassFactory = std::function<HRESULT(IDispatch** object)>;

void RegisterAutomationClass(const std::string& progId, AutomationClassFactory factory);
void UnregisterAutomationClass(const std::string& progId);

// Creates an instance of the server registered under progId. CO_E_NOTINITIALIZED when the calling thread has not
// called CoInitialize; CO_E_CLASSSTRING for a ProgID nobody registered; otherwise what the factory returns.
HRESULT CreateDispatchObject(const std::string& progId, IDispatch** object);
