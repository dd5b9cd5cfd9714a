#include "results/plot_surface.h"

#include "app/units.h"

#include <QMouseEvent>
#include <QPainter>

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
