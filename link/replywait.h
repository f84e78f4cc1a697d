#pragma once

#include <QString>

class QIODevice;

// Like delayMs(ms), but returns as soon as the bytes waiting in device (read up to the first NUL in the
// line's encoding) contain text. Nothing is consumed. True when the text arrived in time.
bool waitForText(QIODevice *device, const QString &text, int ms);
