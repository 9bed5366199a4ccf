#pragma once

#include <QStringList>

#include "service/ShowMessage.h"

// Records every ShowMessage text while it lives, instead of showing boxes.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const QStringList& texts() const { return texts_; }
    void clear() { texts_.clear(); }

private:
    QStringList texts_;
    MessageSink previous_;
};

// Answers every AskQuestion with `answer` while it lives and records the questions.
class QuestionRecorder {
public:
    enum class Answer { Yes, No };
    explicit QuestionRecorder(Answer answer);
    ~QuestionRecorder();
    QuestionRecorder(const QuestionRecorder&) = delete;
    QuestionRecorder& operator=(const QuestionRecorder&) = delete;

    const QStringList& texts() const { return texts_; }

private:
    QStringList texts_;
    QuestionSink previous_;
};
