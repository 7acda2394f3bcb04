// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Text crosses the wire and the files as Windows-1252 bytes; widgets hold
// QString. These two functions are the only crossing between the two.

// Each character becomes its Windows-1252 byte; a character the code page
// cannot hold becomes "?" (one "?" per character, also for those outside the
// basic plane).
std::string toWire(const QString& text);

// Each byte becomes its character. The five bytes the code page leaves
// undefined become the control characters of the same value, so that any
// byte string survives fromWire followed by toWire unchanged.
QString fromWire(std::string_view bytes);
