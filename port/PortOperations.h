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

    // Raised on the owner's thread when characters wait; Count is never 0.
    TRxCharEvent OnRxChar;
};
