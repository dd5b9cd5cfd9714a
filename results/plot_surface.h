#pragma once
// The picture area of the results window: a persistent picture that survives covering and
// uncovering, plus a non-persistent layer above it for the zoom rubber band. Positions are
// twips, as in the rest of the results window.

#include <QImage>
#include <QWidget>

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

signals:
    // Button state as the window reports it (1 left, 2 right, 4 middle), position in twips.
    void mouseDown(int button, float x, float y);
    void mouseMove(int buttons, float x, float y);
    void mouseUp(int button, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ensureSize();
    QImage persistent_;
    QImage overlay_;
};
