#pragma once

#include "ui/Dialogs.h"

#include <QStringList>

// Replaces the modal message box for the lifetime of a test and records the
// texts shown, and how many of them came with the error beep.
class MessageRecorder {
public:
    MessageRecorder()
    {
        ui::SetMessageSink([this](const QString& text, bool beep) {
            Texts.append(text);
            if (beep)
                ++Beeps;
        });
    }
    ~MessageRecorder() { ui::SetMessageSink({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList Texts;
    int Beeps = 0;
};
