#include "plot/plot_surface.h"

#include "core/units.h"
#include "plot/plot_math.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

QColor glyphColour(plot::GlyphKind kind)
{
    switch (kind) {
    case plot::GlyphKind::FirstMarker: return {255, 128, 0};
    case plot::GlyphKind::SecondMarker: return {160, 0, 200};
    default: return {0, 128, 0};
    }
}

// A text in a framed white box with its top-left corner at `topLeft`, kept inside `bounds`.
void textBox(QPainter& p, QPointF topLeft, const QString& text, const QColor& frame, const QRectF& bounds)
{
    const QRectF size = p.fontMetrics().boundingRect(text).adjusted(-3, -1, 3, 1);
    QRectF box(topLeft, size.size());
    box.moveLeft(std::clamp(box.left(), bounds.left(), std::max(bounds.left(), bounds.right() - box.width())));
    box.moveTop(std::clamp(box.top(), bounds.top(), std::max(bounds.top(), bounds.bottom() - box.height())));
    p.setPen(frame);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRect(box);
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignCenter, text);
}

// A placed marker: a dotted line through the picture at its wavelength, a filled triangle whose
// tip is the data point (outlined in black while it is the active one), and its reading beside it.
void paintMarker(QPainter& p, const plot::MarkerGlyph& g, QPointF at, const QRectF& bounds)
{
    const QColor colour = glyphColour(g.kind);
    p.setPen(QPen(colour, 1, Qt::DotLine));
    p.drawLine(QPointF(at.x(), bounds.top()), QPointF(at.x(), bounds.bottom()));
    p.setPen(g.active ? QPen(Qt::black, 1) : QPen(colour, 1));
    p.setBrush(colour);
    const QPointF triangle[] = {at, at + QPointF(-6, -12), at + QPointF(6, -12)};
    p.drawPolygon(triangle, 3);
    const double height = p.fontMetrics().height() + 2;
    const double above = at.y() - 14 - height;
    textBox(p, QPointF(at.x() + 8, above >= bounds.top() ? above : at.y() + 6), g.label, colour, bounds);
}

// A channel's center: a diamond with the channel's number above; an edge: a short upright bar.
void paintChannelMark(QPainter& p, const plot::MarkerGlyph& g, QPointF at)
{
    const QColor colour = glyphColour(g.kind);
    if (g.kind == plot::GlyphKind::ChannelEdge) {
        p.setPen(QPen(colour, 2));
        p.drawLine(at + QPointF(0, -7), at + QPointF(0, 7));
        return;
    }
    p.setPen(QPen(colour, 1));
    p.setBrush(colour);
    const QPointF diamond[] = {at + QPointF(0, -5), at + QPointF(5, 0), at + QPointF(0, 5), at + QPointF(-5, 0)};
    p.drawPolygon(diamond, 4);
    const QRectF text(at.x() - 20, at.y() - 8 - p.fontMetrics().height(), 40, p.fontMetrics().height());
    p.drawText(text, Qt::AlignHCenter | Qt::AlignBottom, g.label);
}

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

void PlotSurface::crosses(const std::vector<QPoint>& pixels, int half)
{
    QImage& image = target();
    QPainter p(&image);
    p.resetTransform();
    p.setPen(pen(foreColor_));
    for (const QPoint& c : pixels) {
        p.drawLine(c + QPoint(-half, -half), c + QPoint(half, half));
        p.drawLine(c + QPoint(-half, half), c + QPoint(half, -half));
    }
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

void PlotSurface::rects(const std::vector<QRect>& pixels, std::optional<std::uint32_t> fill)
{
    QImage& image = target();
    QPainter p(&image);
    p.resetTransform();
    p.setPen(pen(foreColor_));
    p.setBrush(fill ? QBrush(vbColor(*fill)) : QBrush(Qt::NoBrush));
    p.drawRects(pixels.data(), static_cast<int>(pixels.size()));
    update();
}

void PlotSurface::squares(const std::vector<QPoint>& centres, int half)
{
    // Written straight into the picture's pixels: thousands of small outlines through the painter
    // cost more than the 100 000-point trace beneath them.
    QImage& image = target();
    const QRgb colour = vbColor(foreColor_).rgba();
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const QRect bounds = image.rect();
    const auto set = [&](int x, int y) {
        if (bounds.contains(x, y)) reinterpret_cast<QRgb*>(bits + y * stride)[x] = colour;
    };
    for (const QPoint& c : centres) {
        const int left = c.x() - half, right = c.x() + half, top = c.y() - half, bottom = c.y() + half;
        for (int x = left; x <= right; ++x) {
            set(x, top);
            set(x, bottom);
        }
        for (int y = top + 1; y < bottom; ++y) {
            set(left, y);
            set(right, y);
        }
    }
    update();
}

void PlotSurface::setMarkerLayer(plot::MarkerLayer layer)
{
    markers_ = std::move(layer);
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
    paintMarkers(p);
    p.drawImage(QPoint(0, 0), overlay_);
}

void PlotSurface::paintMarkers(QPainter& p) const
{
    if (markers_.empty()) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QFont small = font();
    small.setPointSize(9);
    p.setFont(small);
    const QRectF bounds = QRectF(rect()).adjusted(1, 1, -2, -2);
    const double toLogical = 1.0 / devicePixelRatioF();  // the glyphs are placed in device pixels
    for (const plot::MarkerGlyph& g : markers_) {
        const QPointF at = QPointF(g.at) * toLogical;
        if (g.kind == plot::GlyphKind::FirstMarker || g.kind == plot::GlyphKind::SecondMarker)
            paintMarker(p, g, at, bounds);
        else
            paintChannelMark(p, g, at);
    }
    p.restore();
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

void PlotSurface::keyPressEvent(QKeyEvent* e)
{
    emit keyDown(e->key(), e->modifiers() & Qt::ShiftModifier ? 1 : 0);
    QWidget::keyPressEvent(e);
}

void PlotSurface::mouseReleaseEvent(QMouseEvent* e)
{
    emit mouseUp(vbButtons(e->button()), static_cast<float>(pixelsToTwips(e->position().x())),
                 static_cast<float>(pixelsToTwips(e->position().y())));
}
