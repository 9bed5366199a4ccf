#pragma once

#include <QString>
#include <exception>

// The two-line text of a failure caught and reported in detail: "异常类名称:" + the error's type
// name, CR LF, "异常信息:" + its message. The type name of an AppError is its own; any other
// error is named by its C++ type.
QString FailureText(const std::exception& error);

// That text in a message box (ShowMessage).
void ShowFailure(const std::exception& error);
