#pragma once

#include "service/AppError.h"

// A script call into a browser page that did not run: no document, a missing function, or an
// error the script threw. The message is the page's own text, e.g.
// "ReferenceError: pause is not defined".
class ScriptError : public AppError {
public:
    using AppError::AppError;
    const char* typeName() const noexcept override { return "ScriptError"; }
};
