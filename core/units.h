#pragma once
// Window units and colours as the bench's designers wrote them: twips and &HBBGGRR numbers.

#include <QColor>
#include <QRect>

#include <cstdint>

// Pixels for a length in twips (1/1440 inch) at the primary screen's logical DPI.
int twipsToPixels(double twips);
double pixelsToTwips(double pixels);
QRect twipsRect(double left, double top, double width, double height);

// A colour written &HBBGGRR (red in the lowest byte). The system colours &H8000000F (button face)
// and &H80000018 (tooltip background) map to the application palette.
QColor vbColor(std::uint32_t bbggrr);

namespace VbColor {
inline constexpr std::uint32_t Black = 0x000000;
inline constexpr std::uint32_t White = 0xFFFFFF;
inline constexpr std::uint32_t Red = 0x0000FF;
inline constexpr std::uint32_t Green = 0x00FF00;
inline constexpr std::uint32_t Blue = 0xFF0000;
inline constexpr std::uint32_t LightGreen = 0xC0FFC0;
inline constexpr std::uint32_t PassGreen = 0x008000;    // a PASS, readable on the window's grey
inline constexpr std::uint32_t MarginalAmber = 0x0080C0;
inline constexpr std::uint32_t PaleGreen = 0x80FF80;
inline constexpr std::uint32_t DarkBlue = 0x800000;
inline constexpr std::uint32_t LightGrey = 0xE0E0E0;
inline constexpr std::uint32_t Pink = 0xFFC0FF;
inline constexpr std::uint32_t LightRed = 0x8080FF;
inline constexpr std::uint32_t LightYellow = 0xC0FFFF;
inline constexpr std::uint32_t ButtonFace = 0x8000000F;
inline constexpr std::uint32_t InfoBackground = 0x80000018;
}  // namespace VbColor

// Background and text colours of a control, applied through its palette.
class QWidget;
void setBackColor(QWidget* w, std::uint32_t bbggrr);
void setForeColor(QWidget* w, std::uint32_t bbggrr);
std::uint32_t backColorOf(const QWidget* w);
std::uint32_t foreColorOf(const QWidget* w);
