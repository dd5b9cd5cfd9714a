#include "widgets/uc_label_rotate.h"

#include "core/units.h"

#include <QPainter>
#include <QPalette>
#include <QtMath>

namespace {
constexpr double kSupersample = 2.1;
}

UcLabelRotate::UcLabelRotate(const QString& instanceName, QWidget* parent)
    : QWidget(parent), instanceName_(instanceName), caption_(instanceName), font_(parent ? parent->font() : QFont()),
      backColor_(VbColor::ButtonFace)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void UcLabelRotate::setCaption(const QString& caption)
{
    if (caption == caption_) return;
    caption_ = caption;
    markChanged(QStringLiteral("Caption"));
    Redraw();
}

void UcLabelRotate::setAngleDeg(float degrees)
{
    if (degrees == angleDeg_) return;
    angleDeg_ = degrees;
    markChanged(QStringLiteral("AngleDeg"));
    Redraw();
}

void UcLabelRotate::setFont(const QFont& font)
{
    font_ = font;
    markChanged(QStringLiteral("Font"));
    Redraw();
}

void UcLabelRotate::setBackColor(std::uint32_t bbggrr)
{
    backColor_ = bbggrr;
    markChanged(QStringLiteral("BackColor"));
    Redraw();
}

void UcLabelRotate::SetCaptionAndAngleDeg(const QString& caption, float degrees)
{
    caption_ = caption;
    setAngleDeg(degrees);
}

void UcLabelRotate::readProperties(const QMap<QString, QVariant>& stored)
{
    const auto lookup = [&stored](const QString& name) -> QVariant {
        for (auto it = stored.begin(); it != stored.end(); ++it)
            if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it.value();
        return {};
    };
    const QVariant caption = lookup(QStringLiteral("Caption"));
    setCaption(caption.isValid() ? caption.toString() : instanceName_);
    const QVariant angle = lookup(QStringLiteral("AngleDeg"));
    setAngleDeg(angle.isValid() ? angle.toFloat() : 0.0F);
    const QVariant back = lookup(QStringLiteral("BackColor"));
    setBackColor(back.isValid() ? static_cast<std::uint32_t>(back.toULongLong()) : VbColor::ButtonFace);
    const QVariant font = lookup(QStringLiteral("Font"));
    setFont(font.isValid() ? font.value<QFont>() : (parentWidget() ? parentWidget()->font() : QFont()));
}

QMap<QString, QVariant> UcLabelRotate::writeProperties() const
{
    return {{QStringLiteral("Caption"), caption_},
            {QStringLiteral("AngleDeg"), angleDeg_},
            {QStringLiteral("BackColor"), static_cast<qulonglong>(backColor_)},
            {QStringLiteral("Font"), font_}};
}

void UcLabelRotate::markChanged(const QString& name)
{
    if (!changed_.contains(name)) changed_ << name;
}

void UcLabelRotate::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Redraw();
}

void UcLabelRotate::Redraw()
{
    ++redraws_;
    const qreal dpr = devicePixelRatioF();
    const QSize own = size() * dpr;
    if (own.isEmpty()) {
        picture_ = QImage();
        update();
        return;
    }
    const QColor back = vbColor(backColor_);
    const QSize big(qRound(own.width() * kSupersample), qRound(own.height() * kSupersample));

    // Upright text at 2.1 times the size, centred.
    QImage upright(big, QImage::Format_ARGB32_Premultiplied);
    // The buffer resolves points as the screen does, so the text is 2.1 times the control's text.
    const int dotsPerMeter = qRound(logicalDpiX() * dpr / 0.0254);
    upright.setDotsPerMeterX(dotsPerMeter);
    upright.setDotsPerMeterY(dotsPerMeter);
    upright.fill(back);
    {
        QPainter p(&upright);
        QFont f = font_;
        f.setPointSizeF(font_.pointSizeF() * kSupersample);
        p.setFont(f);
        p.setPen(Qt::black);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QFontMetricsF fm(f, &upright);
        const QPointF origin((big.width() - fm.horizontalAdvance(caption_)) / 2.0,
                             (big.height() - fm.height()) / 2.0 + fm.ascent());
        p.drawText(origin, caption_);
    }

    // Rotated about the centre into a buffer of the same size (corners that turn out are clipped).
    QImage rotated(big, QImage::Format_ARGB32_Premultiplied);
    rotated.fill(back);
    {
        QPainter p(&rotated);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(big.width() / 2, big.height() / 2);
        p.rotate(angleDeg_);
        p.drawImage(QPointF(-(big.width() / 2), -(big.height() / 2)), upright);
    }

    // Smooth reduction into the control.
    picture_ = rotated.scaled(own, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture_.setDevicePixelRatio(dpr);
    // The window behind the control takes the same colour, so uncovering never flashes another.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, back);
    setPalette(palette);
    update();
}

void UcLabelRotate::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (picture_.isNull())
        p.fillRect(rect(), vbColor(backColor_));
    else
        p.drawImage(QPoint(0, 0), picture_);
}
