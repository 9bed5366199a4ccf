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
