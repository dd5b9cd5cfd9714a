#include "results/plot_surface.h"

#include "core/units.h"
#include "results/plot_math.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {
int vbButtons(Qt::MouseButtons b)
{
    int state = 0;
    if (b & Qt::LeftButton) state |= 1;
    if (b & Qt::RightButton) state |= 2;
    if (b & Qt::MiddleButton) state |= 4;
    return state;
}
}  // namespace

PlotSurface::PlotSurface(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
}

double PlotSurface::pixelsPerTwip() const { return twipsToPixels(14400) / 14400.0; }

void PlotSurface::ensureSize()
{
    const QSize px = size() * devicePixelRatioF();
    if (persistent_.size() != px) {
        persistent_ = QImage(px, QImage::Format_RGB32);
        persistent_.fill(Qt::white);
        persistent_.setDevicePixelRatio(devicePixelRatioF());
    }
    if (overlay_.size() != px) {
        overlay_ = QImage(px, QImage::Format_ARGB32_Premultiplied);
        overlay_.fill(Qt::transparent);
        overlay_.setDevicePixelRatio(devicePixelRatioF());
    }
}

QImage& PlotSurface::persistentImage()
{
    ensureSize();
    return persistent_;
}

QImage& PlotSurface::overlayImage()
{
    ensureSize();
    return overlay_;
}

void PlotSurface::clearPersistent()
{
    persistentImage().fill(Qt::white);
    update();
}

void PlotSurface::clearOverlay()
{
    overlayImage().fill(Qt::transparent);
    update();
}

QImage& PlotSurface::target() { return autoRedraw_ ? persistentImage() : overlayImage(); }

QPen PlotSurface::pen(std::uint32_t bbggrr) const
{
    QPen p(vbColor(bbggrr), drawWidth_, drawStyle_);
    // A width of 1 stays one pixel wide whatever the device pixel ratio.
    p.setCosmetic(drawWidth_ <= 1);
    return p;
}

QPoint PlotSurface::toPixels(double x, double y) const
{
    const double scale = pixelsPerTwip() * devicePixelRatioF();
    return {plot::roundEven(x * scale), plot::roundEven(y * scale)};
}

void PlotSurface::Cls()
{
    if (autoRedraw_) persistentImage().fill(Qt::white);
    overlayImage().fill(Qt::transparent);
    update();
}

void PlotSurface::line(double x1, double y1, double x2, double y2)
{
    QImage& image = target();
    QPainter p(&image);
    p.resetTransform();  // the image's device pixel ratio must not scale pixel coordinates again
    p.setPen(pen(foreColor_));
    p.drawLine(toPixels(x1, y1), toPixels(x2, y2));
    update();
}

void PlotSurface::lines(const std::vector<plot::Segment>& segments)
{
    QImage& image = target();
    QPainter p(&image);
    p.resetTransform();
    p.setPen(pen(foreColor_));
    for (const plot::Segment& s : segments) p.drawLine(toPixels(s.x1, s.y1), toPixels(s.x2, s.y2));
    update();
}

void PlotSurface::box(double x1, double y1, double x2, double y2, std::uint32_t bbggrr)
{
    QImage& image = target();
    QPainter p(&image);
    p.resetTransform();
    p.setPen(pen(bbggrr));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(toPixels(x1, y1), toPixels(x2, y2)).normalized().adjusted(0, 0, -1, -1));
    update();
}

void PlotSurface::trace(const std::vector<QPoint>& pixels, TraceDrawing how)
{
    QImage& image = target();
    QPainter p(&image);
    p.resetTransform();
    p.setPen(pen(foreColor_));
    if (how == TraceDrawing::Segments) {
        QPoint previous = pixels.empty() ? QPoint() : pixels.front();
        for (const QPoint& point : pixels) {
            p.drawLine(previous, point);
            previous = point;
        }
    } else {
        const plot::ColumnTrace reduced = plot::reduceToColumns(pixels, image.width(), image.height());
        p.drawLines(reduced.spans.data(), static_cast<int>(reduced.spans.size()));
        p.drawLines(reduced.joins.data(), static_cast<int>(reduced.joins.size()));
    }
    update();
}

void PlotSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ensureSize();
}

void PlotSurface::paintEvent(QPaintEvent*)
{
    ensureSize();
    QPainter p(this);
    p.drawImage(QPoint(0, 0), persistent_);
    p.drawImage(QPoint(0, 0), overlay_);
}

void PlotSurface::mousePressEvent(QMouseEvent* e)
{
    emit mouseDown(vbButtons(e->button()), static_cast<float>(pixelsToTwips(e->position().x())),
                   static_cast<float>(pixelsToTwips(e->position().y())));
}

void PlotSurface::mouseMoveEvent(QMouseEvent* e)
{
    emit mouseMove(vbButtons(e->buttons()), static_cast<float>(pixelsToTwips(e->position().x())),
                   static_cast<float>(pixelsToTwips(e->position().y())));
}

void PlotSurface::mouseReleaseEvent(QMouseEvent* e)
{
    emit mouseUp(vbButtons(e->button()), static_cast<float>(pixelsToTwips(e->position().x())),
                 static_cast<float>(pixelsToTwips(e->position().y())));
}
