#include "HResult.h"

#include <cstdio>

std::string DescribeHResult(HRESULT status) {
    switch (status) {
    case S_OK:
        return "The operation completed successfully.";
    case S_FALSE:
        return "The operation completed, but with a false result.";
    case E_NOTIMPL:
        return "Not implemented.";
    case E_NOINTERFACE:
        return "No such interface supported.";
    case E_POINTER:
        return "Invalid pointer.";
    case E_FAIL:
        return "Unspecified error.";
    case E_UNEXPECTED:
        return "Catastrophic failure.";
    case E_OUTOFMEMORY:
        return "Not enough memory resources are available to complete this operation.";
    case E_INVALIDARG:
        return "The parameter is incorrect.";
    case DISP_E_UNKNOWNINTERFACE:
        return "Unknown interface.";
    case DISP_E_MEMBERNOTFOUND:
        return "Member not found.";
    case DISP_E_PARAMNOTFOUND:
        return "Parameter not found.";
    case DISP_E_TYPEMISMATCH:
        return "Type mismatch.";
    case DISP_E_UNKNOWNNAME:
        return "Unknown name.";
    case DISP_E_NONAMEDARGS:
        return "No named arguments.";
    case DISP_E_BADVARTYPE:
        return "Bad variable type.";
    case DISP_E_EXCEPTION:
        return "Exception occurred.";
    case DISP_E_OVERFLOW:
        return "Out of present range.";
    case DISP_E_BADINDEX:
        return "Invalid index.";
    case DISP_E_BADPARAMCOUNT:
        return "Invalid number of parameters.";
    case DISP_E_PARAMNOTOPTIONAL:
        return "Parameter not optional.";
    case CO_E_NOTINITIALIZED:
        return "CoInitialize has not been called.";
    case CO_E_CLASSSTRING:
        return "Invalid class string.";
    case REGDB_E_CLASSNOTREG:
        return "Class not registered.";
    case CO_E_SERVER_EXEC_FAILURE:
        return "Server execution failed.";
    default:
        break;
    }
    char text[64];
    std::snprintf(text, sizeof text, "Unknown error 0x%08X.", static_cast<unsigned>(status));
    return text;
}
