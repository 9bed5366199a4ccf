#include "MessageRecorder.h"

MessageRecorder::MessageRecorder() {
    previous_ = SetMessageSink([this](const QString& text) { texts_.append(text); });
}

MessageRecorder::~MessageRecorder() {
    SetMessageSink(std::move(previous_));
}

QuestionRecorder::QuestionRecorder(Answer answer) {
    previous_ = SetQuestionSink([this, answer](const QString& text) {
        texts_.append(text);
        return answer == Answer::Yes;
    });
}

QuestionRecorder::~QuestionRecorder() {
    SetQuestionSink(std::move(previous_));
}
