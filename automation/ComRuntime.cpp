#include "ComRuntime.h"

#include "HResult.h"

#include <map>
#include <mutex>

namespace {

thread_local int initCount = 0;

struct Registry {
    std::mutex mutex;
    std::map<std::string, AutomationClassFactory> factories;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

HRESULT CoInitialize(void*) {
    return initCount++ == 0 ? S_OK : S_FALSE;
}

bool IsComInitialized() {
    return initCount > 0;
}

void RegisterAutomationClass(const std::string& progId, AutomationClassFactory factory) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.factories[progId] = std::move(factory);
}

void UnregisterAutomationClass(const std::string& progId) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.factories.erase(progId);
}

HRESULT CreateDispatchObject(const std::string& progId, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsComInitialized())
        return CO_E_NOTINITIALIZED;
    AutomationClassFactory factory;
    {
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        auto found = registry.factories.find(progId);
        if (found == registry.factories.end())
            return CO_E_CLASSSTRING;
        factory = found->second;
    }
    // Called outside the lock: a server may take its time to start.
    const HRESULT status = factory(object);
    if (SUCCEEDED(status) && !*object)
        return CO_E_SERVER_EXEC_FAILURE;
    return status;
}
