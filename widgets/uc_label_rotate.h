#pragma once
// A label that draws one caption turned by any angle, smoothed: the text is rendered upright at
// 2.1 times the control's size, rotated about the centre, and scaled down into the control.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMap>
#include <QVariant>
#include <QWidget>

#include <cstdint>

class UcLabelRotate : public QWidget {
    Q_OBJECT
public:
    // `instanceName` is the container's name for the instance: the caption until one is set.
    explicit UcLabelRotate(const QString& instanceName, QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    float AngleDeg() const { return angleDeg_; }
    void setAngleDeg(float degrees);
    QFont Font() const { return font_; }
    void setFont(const QFont& font);
    std::uint32_t BackColor() const { return backColor_; }
    void setBackColor(std::uint32_t bbggrr);
    void SetCaptionAndAngleDeg(const QString& caption, float degrees);

    // Stored properties, by name compared without regard to case. Loading writes each through its
    // property in the order Caption, AngleDeg, BackColor, Font; absent names take their defaults.
    void readProperties(const QMap<QString, QVariant>& stored);
    QMap<QString, QVariant> writeProperties() const;
    // Names marked as changed since creation (for the container's save).
    const QStringList& changedProperties() const { return changed_; }

    // The finished picture as shown (control size, device pixels), and how many redraws ran.
    const QImage& picture() const { return picture_; }
    int redrawCount() const { return redraws_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Redraw();
    void markChanged(const QString& name);

    QString instanceName_;
    QString caption_;
    float angleDeg_ = 0.0F;
    QFont font_;
    std::uint32_t backColor_;
    QImage picture_;  // the persistent picture
    QStringList changed_;
    int redraws_ = 0;
};
