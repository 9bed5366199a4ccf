#pragma once

#include <QString>

// The single-instance rule: ends the process that holds the window registration `windowClass`
// (WindowRegistry) when its executable file is named `exeName` (compared case-insensitively).
// Never the calling process and never another user's process (the registry reports only
// owners of the same user). The process is asked to end (SIGTERM) and killed when it has not
// ended after a short bounded wait.
//
// Returns the result of the termination when a matching process was found, and true when
// there is none; nothing is ever shown.
bool KillProcessByExeName(const QString& exeName, const QString& windowClass);
