#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

// What the exchange engine needs of a serial port. TBComPort implements it on
// a real device; tests drive the engine through a scripted fake.
class TPortOperations : public QObject {
    Q_OBJECT
public:
    using TRxCharEvent = std::function<void(QObject* Sender, int Count)>;

    using QObject::QObject;
    ~TPortOperations() override = default;

    virtual bool Connected() const = 0;
    // Transmits all of text and returns once the write has completed.
    virtual int WriteStr(const QByteArray& text) = 0;
    // Returns at once with at most count of the characters already waiting.
    virtual int ReadStr(QByteArray& text, int count) = 0;
    virtual void SetRTS(bool state) = 0;
    // How received characters may be grouped before they are reported: below 0
    // each arrival at once; 0 until the line is quiet; n until n characters
    // wait. The engine knows what it waits for (its echo, then an answer) and
    // so saves a hand-over per character on a slow line. A port may ignore it.
    virtual void SetRxGrouping(int expect) { (void)expect; }
    // Characters received and not yet read, reported or not; 0 when that
    // cannot be told. Unlike a status query it clears nothing.
    virtual int UnreadCount() const = 0;

    // Raised on the owner's thread when characters wait; Count is never 0.
    TRxCharEvent OnRxChar;
};
