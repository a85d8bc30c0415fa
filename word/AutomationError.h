#pragma once
// The two ways a Word call fails. Both travel as exceptions from the automation boundary to the worker.

#include "automation/ComTypes.h"

#include <stdexcept>
#include <string>

// A failed call that is not Word's own report: a failing status, or a result of the wrong kind.
class AutomationError : public std::runtime_error {
public:
    explicit AutomationError(HRESULT status);
    AutomationError(HRESULT status, const std::string& message);
    HRESULT status() const { return status_; }

private:
    HRESULT status_;
};

// Word answered with an exception (DISP_E_EXCEPTION) and said why.
class DispatchError : public AutomationError {
public:
    struct Details {
        WORD code = 0;
        SCODE scode = 0;
        std::string description;
        std::string source;
        std::string helpFile;
        DWORD helpContext = 0;
    };
    explicit DispatchError(Details details);
    const Details& details() const { return details_; }
    const std::string& description() const { return details_.description; }

private:
    Details details_;
};
