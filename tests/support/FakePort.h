#pragma once

#include "port/PortOperations.h"

#include <QByteArrayList>
#include <QList>

// A scripted line: records what the engine writes and how it steers RTS, and
// delivers received text through OnRxChar as the real port does.
class FakePort final : public TPortOperations {
public:
    bool Connected() const override { return Open; }
    int WriteStr(const QByteArray& text) override
    {
        Written.append(text);
        return static_cast<int>(text.size());
    }
    int ReadStr(QByteArray& text, int count) override
    {
        text = Input.left(count);
        Input.remove(0, text.size());
        return static_cast<int>(text.size());
    }
    void SetRTS(bool state) override { Rts.append(state); }
    int UnreadCount() const override { return static_cast<int>(Input.size()); }

    // Characters arrive; one characters-received event reports them.
    void Receive(const QByteArray& text)
    {
        Input.append(text);
        if (OnRxChar && !Input.isEmpty())
            OnRxChar(this, static_cast<int>(Input.size()));
    }

    bool Open = true;
    QByteArray Input;
    QByteArrayList Written;
    QList<bool> Rts;
};
