#pragma once

// Colours are 32-bit values in the Windows layout 0x00BBGGRR. Values with the
// high bit set are system colours (0x80000000 + the system colour index);
// 0x1FFFFFFF means "none" (no background) and 0x20000000 "default".

#include <QtGlobal>
#include <QRgb>

using TColor = qint32;

namespace Colour {

constexpr TColor Black = 0x000000;
constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x008000;
constexpr TColor Yellow = 0x00FFFF;
constexpr TColor None = 0x1FFFFFFF;
constexpr TColor Default = 0x20000000;
constexpr TColor WindowText = qint32(0x80000008u);
constexpr TColor Window = qint32(0x80000005u);

// The editor paints the message on a dark red so that it looks like the sign.
constexpr TColor EditorBackground = 0x000038;

constexpr bool isSystemColour(TColor c) { return (quint32(c) & 0x80000000u) != 0; }

// Converts a plain 0x00BBGGRR colour to Qt's 0xAARRGGBB (opaque).
constexpr QRgb toRgb(TColor c)
{
    const quint32 v = quint32(c);
    return 0xFF000000u | ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}

// Converts Qt's 0xAARRGGBB to 0x00BBGGRR, dropping alpha.
constexpr TColor fromRgb(QRgb rgb)
{
    return TColor(((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16));
}

} // namespace Colour
