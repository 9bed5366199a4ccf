#include "ShowMessage.h"

#include <cstdio>
#include <utility>

namespace {
MessageSink& currentSink() {
    static MessageSink sink;
    return sink;
}
}  // namespace

void ShowMessage(const QString& text) {
    if (const MessageSink& sink = currentSink()) {
        sink(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

MessageSink SetMessageSink(MessageSink sink) {
    return std::exchange(currentSink(), std::move(sink));
}
