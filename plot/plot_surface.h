#pragma once
// The picture area of the results window: a persistent picture that survives covering and
// uncovering, the marker layer painted over it (so that markers move without the trace being
// drawn again), and a non-persistent layer on top for the zoom rubber band. Positions are twips,
// as in the rest of the results window.

#include "plot/plot_markers.h"

#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

// How a trace of many points is put on the picture: one line per segment, or per pixel column the
// span the segments cover plus the joins between columns (the same pixels, far fewer calls).
enum class TraceDrawing { Columns, Segments };

class PlotSurface : public QWidget {
    Q_OBJECT
public:
    explicit PlotSurface(QWidget* parent = nullptr);

    // The persistent picture, in device pixels, sized to the widget.
    QImage& persistentImage();
    // The non-persistent layer; cleared by clearOverlay().
    QImage& overlayImage();
    void clearPersistent();
    void clearOverlay();

    // Twips to the picture's pixels and back.
    double pixelsPerTwip() const;

    // Drawing in twips, in the manner of a picture box: with persistent drawing on, lines go to the
    // persistent picture; off, to the layer above it. Pen width is in pixels.
    void setAutoRedraw(bool on) { autoRedraw_ = on; }
    bool autoRedraw() const { return autoRedraw_; }
    void setDrawWidth(int pixels) { drawWidth_ = pixels; }
    void setDrawStyle(Qt::PenStyle style) { drawStyle_ = style; }
    void setForeColor(std::uint32_t bbggrr) { foreColor_ = bbggrr; }
    std::uint32_t foreColor() const { return foreColor_; }
    // Clears the persistent picture and the layer with persistent drawing on, else the layer only.
    void Cls();
    void line(double x1, double y1, double x2, double y2);
    // Many lines in one go, the same as calling line() for each.
    void lines(const std::vector<plot::Segment>& segments);
    // A rectangle outline in `bbggrr`, corners in any order.
    void box(double x1, double y1, double x2, double y2, std::uint32_t bbggrr);
    // A polyline already in the picture's pixels, in the pen colour, width and style.
    void trace(const std::vector<QPoint>& pixels, TraceDrawing how = TraceDrawing::Columns);
    // A small cross, `half` pixels each way, at each of `pixels`, in the pen colour and width.
    void crosses(const std::vector<QPoint>& pixels, int half);
    // Rectangles already in the picture's pixels, outlined in the pen colour, width and style,
    // filled in `fill` (none: hollow).
    void rects(const std::vector<QRect>& pixels, std::optional<std::uint32_t> fill);
    // A hollow square one pixel wide, 2 * half + 1 pixels across, round each centre (the
    // picture's pixels), in the pen colour.
    void squares(const std::vector<QPoint>& centres, int half);

    // The markers shown over the picture, in its pixels; Cls() leaves them.
    void setMarkerLayer(plot::MarkerLayer layer);
    const plot::MarkerLayer& markerLayer() const { return markers_; }
    // Said by the plot engine after each redraw of the trace, so the markers can follow it.
    void notifyRedrawn() { emit redrawn(); }

signals:
    // Button state as the window reports it (1 left, 2 right, 4 middle), position in twips.
    void mouseDown(int button, float x, float y);
    void mouseMove(int buttons, float x, float y);
    void mouseUp(int button, float x, float y);
    // A key pressed while the picture has the focus: the Qt key and 1 when Shift is held, else 0.
    void keyDown(int key, int shift);
    void redrawn();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ensureSize();
    QImage& target();
    void paintMarkers(QPainter& p) const;
    QPen pen(std::uint32_t bbggrr) const;
    QPoint toPixels(double x, double y) const;

    bool autoRedraw_ = true;
    int drawWidth_ = 1;
    Qt::PenStyle drawStyle_ = Qt::SolidLine;
    std::uint32_t foreColor_ = 0;
    QImage persistent_;
    QImage overlay_;
    plot::MarkerLayer markers_;
};
