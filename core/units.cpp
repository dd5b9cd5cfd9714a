#include "core/units.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {
double logicalDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

std::uint32_t toBbggrr(const QColor& c)
{
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8)
           | (static_cast<std::uint32_t>(c.blue()) << 16);
}
}  // namespace

int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips * logicalDpi() / 1440.0)); }

double pixelsToTwips(double pixels) { return pixels * 1440.0 / logicalDpi(); }

QRect twipsRect(double left, double top, double width, double height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

QColor vbColor(std::uint32_t bbggrr)
{
    if (bbggrr == VbColor::ButtonFace) return QApplication::palette().color(QPalette::Button);
    if (bbggrr == VbColor::InfoBackground) return QApplication::palette().color(QPalette::ToolTipBase);
    return {static_cast<int>(bbggrr & 0xFF), static_cast<int>((bbggrr >> 8) & 0xFF),
            static_cast<int>((bbggrr >> 16) & 0xFF)};
}

void setBackColor(QWidget* w, std::uint32_t bbggrr)
{
    QPalette p = w->palette();
    const QColor c = vbColor(bbggrr);
    p.setColor(QPalette::Button, c);
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
    w->setProperty("vbBackColor", static_cast<qulonglong>(bbggrr));
}

void setForeColor(QWidget* w, std::uint32_t bbggrr)
{
    QPalette p = w->palette();
    const QColor c = vbColor(bbggrr);
    p.setColor(QPalette::ButtonText, c);
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    // Disabled controls keep their colours but grey their text, as the operator expects.
    const QColor grey = c.lightness() > 200 ? QColor(190, 190, 190) : QColor(150, 150, 150);
    for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
        p.setColor(QPalette::Disabled, role, grey);
    w->setPalette(p);
    w->setProperty("vbForeColor", static_cast<qulonglong>(bbggrr));
}

std::uint32_t backColorOf(const QWidget* w)
{
    const QVariant v = w->property("vbBackColor");
    return v.isValid() ? static_cast<std::uint32_t>(v.toULongLong()) : toBbggrr(w->palette().color(QPalette::Button));
}

std::uint32_t foreColorOf(const QWidget* w)
{
    const QVariant v = w->property("vbForeColor");
    return v.isValid() ? static_cast<std::uint32_t>(v.toULongLong()) : toBbggrr(w->palette().color(QPalette::WindowText));
}
