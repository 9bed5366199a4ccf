#pragma once

#include <QString>

// A base folder of the XDG base directory rules: the variable's value when it is an absolute
// path, else `homeDefault` under the home folder (a relative value is ignored, as the rules say).
QString XdgBase(const char* variable, const char* homeDefault);
