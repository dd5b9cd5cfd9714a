#include "core/progress_strip.h"

#include "core/control_placement.h"
#include "core/form1.h"
#include "core/numeric_text.h"
#include "core/texts.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

#include <algorithm>
#include <cmath>
#include <utility>
#include <limits>

namespace {

QString seconds(int ms) { return QString::number(ms / 1000.0, 'f', 1); }

}  // namespace

int expectedScanMilliseconds(double spanNm, double speedNmPerSecond, int averages)
{
    if (!(spanNm > 0.0) || !(speedNmPerSecond > 0.0) || averages <= 0) return -1;
    const double ms = spanNm / speedNmPerSecond * averages * 1000.0;
    if (!std::isfinite(ms) || ms > std::numeric_limits<int>::max()) return -1;
    return std::max(1, static_cast<int>(std::lround(ms)));
}

int expectedScanMilliseconds(const Form1& form)
{
    const double span = leadingNumber(form.Text2->text()) - leadingNumber(form.Text1->text());
    const double averages = std::floor(leadingNumber(form.Text6->text()));
    if (!(averages >= 1.0 && averages <= std::numeric_limits<int>::max())) return -1;
    return expectedScanMilliseconds(span, leadingNumber(form.Text3->text()), static_cast<int>(averages));
}

ProgressStrip::ProgressStrip(Form1& main, std::function<QWidget*()> scanWindow)
    : QObject(&main), scanWindow_(std::move(scanWindow)), strip_(main.statusBar())
{
    bar_ = named(new QProgressBar(strip_), QStringLiteral("ProgressBar"));
    bar_->setFocusPolicy(Qt::NoFocus);
    bar_->setTextVisible(false);
    bar_->setMaximumWidth(240);
    label_ = named(new QLabel(strip_), QStringLiteral("ProgressLabel"));
    label_->setFocusPolicy(Qt::NoFocus);
    strip_->addWidget(bar_);
    strip_->addWidget(label_);
    bar_->hide();
}

void ProgressStrip::beginScan(int expectedMs)
{
    expectedMs_ = std::max(expectedMs, 0);
    ports_ = 0;
    show(expectedMs_);  // a maximum of 0 is Qt's busy indicator
    // The results window is the one the scan will draw into; the plot keeps its own cursor.
    if (QWidget* results = scanWindow_()) {
        busyWindow_ = results;
        results->setCursor(Qt::BusyCursor);
    }
    tick(0);
}

void ProgressStrip::tick(int elapsedMs)
{
    if (!active() || ports_ > 0) return;
    elapsedMs = std::max(elapsedMs, 0);
    if (expectedMs_ > 0) {
        bar_->setValue(std::min(elapsedMs, expectedMs_));
        label_->setText(T("extras.scanProgress").arg(seconds(elapsedMs), seconds(expectedMs_)));
    } else {
        label_->setText(T("extras.scanProgressUnknown").arg(seconds(elapsedMs)));
    }
}

void ProgressStrip::beginDetection(int ports)
{
    ports_ = std::max(ports, 1);
    show(ports_);
}

void ProgressStrip::probing(int port)
{
    if (!active() || ports_ == 0) return;
    bar_->setValue(std::clamp(port - 1, 0, ports_));  // ports done before this one
    label_->setText(T("extras.detectProgress").arg(port).arg(ports_));
}

void ProgressStrip::end()
{
    bar_->hide();
    bar_->reset();
    label_->clear();
    expectedMs_ = 0;
    ports_ = 0;
    if (busyWindow_) busyWindow_->unsetCursor();
    busyWindow_ = nullptr;
}

bool ProgressStrip::active() const { return !bar_->isHidden(); }

void ProgressStrip::show(int maximum)
{
    bar_->setRange(0, maximum);
    bar_->setValue(0);
    bar_->show();
}
