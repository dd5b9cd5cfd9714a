#pragma once
// What the records tests share: a PostgreSQL database, a record, a History window, colours and Tab stops.
#include "postgres_server.h"
#include "rigs.h"

#include "core/units.h"
#include "records/history_controller.h"
#include "records/history_window.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

// The shared PostgreSQL server with a fresh database `name`; nullptr (the test skipped) where none can run.
inline PostgresServer* postgresWith(const QString& name)
{
    QString whyNot;
    PostgresServer* pg = sharedPostgres(&whyNot);
    if (!pg) {
        [&whyNot] { GTEST_SKIP() << whyNot.toStdString(); }();  // returns from the lambda only
        return nullptr;
    }
    EXPECT_TRUE(pg->createDatabase(name)) << pg->problem().toStdString();
    return pg;
}

// A new record of `device` at `utc`: `points` points from `firstNm`, `stepNm` apart, valued value(i).
inline MeasurementRecord recordOf(const QString& device, const QDateTime& utc, int points, float firstNm, float stepNm,
                                  const std::function<float(int)>& value)
{
    MeasurementRecord r{.uid = newRecordUid(), .utc = utc, .deviceId = device};
    for (int i = 0; i < points; ++i) {
        r.wavelengthsNm.push_back(firstNm + stepNm * static_cast<float>(i));
        r.values.push_back(value(i));
    }
    return r;
}

// A History window and its controller on a temporary SQLite store, in English, dialogs answering.
class HistoryRig : public testing::Test {
protected:
    // Stores `records` in `file`, their ids in `ids`, and wires the controller to the window.
    void open(const char* file, const std::vector<MeasurementRecord>& records)
    {
        ASSERT_FALSE(store.open(dir.filePath(QString::fromLatin1(file))));
        for (const MeasurementRecord& r : records) {
            const std::optional<std::int64_t> id = store.insert(r);
            ASSERT_TRUE(id) << store.lastError().detail.toStdString();
            ids.push_back(*id);
        }
        controller = new HistoryController(window, store, [this] { return current; });
    }

    WindowRig::FreshState fresh;
    QTemporaryDir dir;
    RecordStore store;
    std::vector<std::int64_t> ids;  // in insertion order, oldest first
    HistoryWindow window;
    HistoryController* controller = nullptr;
    CurrentTrace current;
    DialogsGuard dialogs;
};

// The pixels of `image` within `tolerance` of the colour `bbggrr` in every component.
inline int pixelsOf(const QImage& image, std::uint32_t bbggrr, int tolerance = 39)
{
    const QColor c = vbColor(bbggrr);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            n += std::max({std::abs(p.red() - c.red()), std::abs(p.green() - c.green()), std::abs(p.blue() - c.blue())}) <= tolerance;
        }
    return n;
}

// The widgets that hold the focus in turn as Tab is pressed from `start` until it comes back (at most 100).
inline std::vector<QWidget*> tabRound(QWidget& window, QWidget* start)
{
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    start->setFocus();
    std::vector<QWidget*> reached;
    for (int press = 0; press < 100 && QApplication::focusWidget() && (reached.empty() || reached.back() != start); ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(reached.empty() ? nullptr : reached.back(), start) << "Tab does not come round";
    return reached;
}
