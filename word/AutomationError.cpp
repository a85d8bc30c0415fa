#include "AutomationError.h"

#include "automation/HResult.h"

AutomationError::AutomationError(HRESULT status) : AutomationError(status, DescribeHResult(status)) {}

AutomationError::AutomationError(HRESULT status, const std::string& message)
    : std::runtime_error(message), status_(status) {}

namespace {

// Word sometimes explains nothing; the status code still says something.
std::string MessageFor(const DispatchError::Details& details) {
    if (!details.description.empty())
        return details.description;
    return DescribeHResult(details.scode ? details.scode : DISP_E_EXCEPTION);
}

} // namespace

DispatchError::DispatchError(Details details)
    : AutomationError(DISP_E_EXCEPTION, MessageFor(details)), details_(std::move(details)) {}
