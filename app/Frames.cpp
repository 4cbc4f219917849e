#include "app/Frames.h"

QByteArray DeviceNumber;
bool PollActive = false;
