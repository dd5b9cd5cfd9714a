// The rotated label: where the ink of a caption lands at 0, 90 and 270 degrees, when it redraws,
// and its stored properties.

#include "widgets/uc_label_rotate.h"

#include "core/control_placement.h"
#include "core/units.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

// Dark pixels of the picture in its first (left or top) and second half.
std::pair<long, long> inkHalves(const QImage& image, Qt::Orientation across)
{
    std::pair<long, long> h;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ((across == Qt::Horizontal ? x < image.width() / 2 : y < image.height() / 2) ? h.first : h.second) += 1;
    return h;
}

class RotateLabel : public testing::Test {
protected:
    RotateLabel()
    {
        l.readProperties({{QStringLiteral("backcolor"), static_cast<qulonglong>(VbColor::White)}});
        l.resize(160, 160);
        container.show();  // resizes reach a shown control at once
        // Heavy at its start, light at its end: which end is where shows the direction.
        l.setCaption(QStringLiteral("WM          ."));
    }
    // The label takes its font from the container it is created in: Arial 12.
    static UcLabelRotate& createIn(QWidget& container)
    {
        container.setFont(arialFont(12));
        return *new UcLabelRotate(QStringLiteral("RotateLabel"), &container);
    }
    QWidget container;
    UcLabelRotate& l = createIn(container);
};

}  // namespace

TEST_F(RotateLabel, InkFollowsTheAngle)
{
    // 90 turns clockwise (reads top to bottom), 270 reads bottom to top; the text stays centred across.
    const struct { float angle; Qt::Orientation along, across; bool headFirst; } rows[] = {
        {0, Qt::Horizontal, Qt::Vertical, true}, {90, Qt::Vertical, Qt::Horizontal, true},
        {270, Qt::Vertical, Qt::Horizontal, false}};
    for (const auto& r : rows) {
        l.setAngleDeg(r.angle);
        const auto [first, second] = inkHalves(l.picture(), r.along);
        EXPECT_GT(r.headFirst ? first : second, 2 * (r.headFirst ? second : first)) << r.angle;
        EXPECT_GT(first + second, 100) << r.angle;
        const auto [before, after] = inkHalves(l.picture(), r.across);
        EXPECT_GT(std::min(before, after), 0) << r.angle << ": straddles the middle line";
    }
}

TEST_F(RotateLabel, RedrawsOnlyWhenSomethingChanges)
{
    const int before = l.redrawCount();
    l.setCaption(QStringLiteral("WM          ."));
    l.setAngleDeg(0.0F);
    EXPECT_EQ(l.redrawCount(), before);

    // Caption stored quietly; the same angle does not redraw.
    l.SetCaptionAndAngleDeg(QStringLiteral("Other"), 0.0F);
    EXPECT_EQ(l.Caption(), QStringLiteral("Other"));
    EXPECT_EQ(l.redrawCount(), before);
    l.SetCaptionAndAngleDeg(QStringLiteral("Other"), 270.0F);
    EXPECT_EQ(l.redrawCount(), before + 1);

    // Font and back colour always redraw, even unchanged.
    l.setBackColor(l.BackColor());
    l.setFont(l.Font());
    EXPECT_EQ(l.redrawCount(), before + 3);
    l.resize(100, 100);
    EXPECT_EQ(l.redrawCount(), before + 4);
    EXPECT_EQ(l.picture().size(), QSize(100, 100) * l.devicePixelRatioF());
}
