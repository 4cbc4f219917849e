#pragma once

#include "devices/Frame.h"
#include "engine/ExchangeEngine.h"

#include <QByteArray>

// The frame functions are the device library's and the globals the engine's;
// every part names them plainly.
using devices::ChecksumHex;
using devices::FrameChecksumOK;
using devices::MakeFrame;
