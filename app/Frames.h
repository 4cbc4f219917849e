#pragma once

#include "devices/Frame.h"

#include <QByteArray>

// Address of the polled device: three characters once a start succeeded.
extern QByteArray DeviceNumber;
// True while polling runs; nothing goes on the line while it is false.
extern bool PollActive;

// The frame functions are the device library's; every part names them plainly.
using devices::ChecksumHex;
using devices::FrameChecksumOK;
using devices::MakeFrame;
