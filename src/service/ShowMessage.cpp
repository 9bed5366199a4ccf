#include "ShowMessage.h"

#include <cstdio>
#include <utility>

namespace {
MessageSink& currentSink() {
    static MessageSink sink;
    return sink;
}
QuestionSink& currentQuestionSink() {
    static QuestionSink sink;
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

QString ShownMessageText(const QString& text) {
    if (text.size() <= kShownMessageLength) return text;
    qsizetype cut = kShownMessageLength;
    // Never half a character outside the basic plane.
    if (text.at(cut - 1).isHighSurrogate()) --cut;
    return text.left(cut) + QChar(0x2026);
}

MessageSink SetMessageSink(MessageSink sink) {
    return std::exchange(currentSink(), std::move(sink));
}

bool AskQuestion(const QString& text) {
    if (const QuestionSink& sink = currentQuestionSink()) return sink(text);
    std::fprintf(stderr, "%s (no)\n", text.toUtf8().constData());
    return false;
}

QuestionSink SetQuestionSink(QuestionSink sink) {
    return std::exchange(currentQuestionSink(), std::move(sink));
}
