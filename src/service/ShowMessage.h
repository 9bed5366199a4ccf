#pragma once

#include <QString>
#include <functional>

// Every message the user sees goes through ShowMessage. The windowed program installs a sink
// that shows a modal box captioned with the application title; tests install one that records.
// Without a sink the text goes to standard error, so core code never needs widgets.
using MessageSink = std::function<void(const QString& text)>;

void ShowMessage(const QString& text);

// Installs a sink and returns the previous one.
MessageSink SetMessageSink(MessageSink sink);
