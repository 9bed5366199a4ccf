#pragma once

#include <QString>
#include <functional>

// Every message the user sees goes through ShowMessage. The windowed program installs a sink
// that shows a modal box captioned with the application title; tests install one that records.
// Without a sink the text goes to standard error, so core code never needs widgets.
using MessageSink = std::function<void(const QString& text)>;

void ShowMessage(const QString& text);

// What a box shows of a message: a service fault may carry a whole reply, so the box stops
// after kShownMessageLength characters with "…". The sink still receives the whole text.
constexpr qsizetype kShownMessageLength = 2000;
QString ShownMessageText(const QString& text);

// Installs a sink and returns the previous one.
MessageSink SetMessageSink(MessageSink sink);

// Yes-or-no questions go the same way: the windowed program asks with a modal box (是 / 否),
// tests install a sink that answers. Without a sink the answer is no, which leaves things as
// they are.
using QuestionSink = std::function<bool(const QString& text)>;

bool AskQuestion(const QString& text);

// Installs a sink and returns the previous one.
QuestionSink SetQuestionSink(QuestionSink sink);
