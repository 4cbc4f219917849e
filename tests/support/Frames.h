#pragma once

#include "devices/Frame.h"

#include <QByteArray>

// A received frame as the engine hands it on: body and checksum, no CR.
inline QByteArray WithSum(const QByteArray& body) { return body + devices::ChecksumHex(body); }
