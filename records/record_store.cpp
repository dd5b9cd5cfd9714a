#include "records/record_store.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <tuple>

namespace {

QAtomicInt connectionCounter;

using Engine = StoreLocation::Engine;

QString driverName(Engine engine)
{
    return engine == Engine::PostgreSQL ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
}

// A step's statement that the program carries out itself: every figure series summed from its rows.
constexpr const char* kSumSeries = "-- sum the figure series";
constexpr const char* kSumHours = "-- sum the figure series per hour";
constexpr qint64 kHourMs = 3'600'000;

// The hour a time falls in, counted from 1970 (rounded down, also before it).
qint64 hourOf(qint64 utcMs)
{
    return utcMs >= 0 ? utcMs / kHourMs : -((-utcMs + kHourMs - 1) / kHourMs);
}

// The schema's steps: step i brings a database from version i to i + 1. %ID% and %BLOB% are the
// two column types the engines spell differently.
const std::vector<std::vector<const char*>>& migrations()
{
#define SERIES_COLUMNS                                                                                          \
    " scope VARCHAR(200) NOT NULL, port INTEGER NOT NULL, channel INTEGER NOT NULL, figure VARCHAR(64) NOT NULL,"  \
    " n BIGINT NOT NULL, anchor DOUBLE PRECISION NOT NULL,"                                                       \
    " sum_a DOUBLE PRECISION NOT NULL, sumsq_a DOUBLE PRECISION NOT NULL,"                                        \
    " minimum DOUBLE PRECISION NOT NULL, maximum DOUBLE PRECISION NOT NULL, mr_sum DOUBLE PRECISION NOT NULL,"    \
    " first_utc BIGINT NOT NULL, first_id BIGINT NOT NULL, first_value DOUBLE PRECISION NOT NULL,"                \
    " last_utc BIGINT NOT NULL, last_id BIGINT NOT NULL, last_value DOUBLE PRECISION NOT NULL,"                   \
    " lower_bound DOUBLE PRECISION NULL, upper_bound DOUBLE PRECISION NULL, stale INTEGER NOT NULL,"
    static const std::vector<std::vector<const char*>> steps = {
        {
            "CREATE TABLE records ("
            " id %ID%,"
            " uid VARCHAR(64) NOT NULL UNIQUE,"
            " utc_ms BIGINT NOT NULL,"
            " utc_offset_s INTEGER NOT NULL,"
            " device_id TEXT NOT NULL,"
            " kind SMALLINT NOT NULL,"
            " pass INTEGER NOT NULL,"
            " module_part TEXT NOT NULL, module_serial TEXT NOT NULL,"
            " laser_part TEXT NOT NULL, laser_serial TEXT NOT NULL,"
            " program_version TEXT NOT NULL, host_name TEXT NOT NULL,"
            " start_nm INTEGER NOT NULL, stop_nm INTEGER NOT NULL, speed_nm_s INTEGER NOT NULL,"
            " averages INTEGER NOT NULL, data_length INTEGER NOT NULL,"
            " channel TEXT NOT NULL, mode SMALLINT NOT NULL,"
            " background SMALLINT NOT NULL, remove_background SMALLINT NOT NULL,"
            " base_power SMALLINT NOT NULL, ref0 SMALLINT NOT NULL,"
            " n_db TEXT NOT NULL, transmission SMALLINT NOT NULL, power_wavelength TEXT NOT NULL,"
            " figures_json TEXT NOT NULL, verdict TEXT NOT NULL,"
            " power DOUBLE PRECISION, power_unit TEXT NOT NULL,"
            " channel_count INTEGER NOT NULL, point_count INTEGER NOT NULL)",
            "CREATE TABLE record_channels ("
            " record_id BIGINT NOT NULL REFERENCES records(id),"
            " row_no INTEGER NOT NULL,"
            " center_nm DOUBLE PRECISION NOT NULL, bandwidth_nm DOUBLE PRECISION NOT NULL,"
            " peak DOUBLE PRECISION NOT NULL,"
            " PRIMARY KEY (record_id, row_no))",
            "CREATE TABLE record_spectra ("
            " record_id BIGINT PRIMARY KEY REFERENCES records(id),"
            " data %BLOB% NOT NULL)",
            // The lists filter on one of these and read newest first.
            "CREATE INDEX records_by_time ON records (utc_ms DESC, id DESC)",
            "CREATE INDEX records_by_device ON records (device_id, utc_ms DESC, id DESC)",
            "CREATE INDEX records_by_host ON records (host_name, utc_ms DESC, id DESC)",
            "CREATE INDEX records_by_module ON records (module_serial, utc_ms DESC, id DESC)",
            "CREATE INDEX records_by_laser ON records (laser_serial, utc_ms DESC, id DESC)",
            "CREATE INDEX records_by_verdict ON records (verdict, utc_ms DESC, id DESC)",
        },
        {
            // The station's context on a record.
            "ALTER TABLE records ADD COLUMN recipe_name VARCHAR(200) NULL",
            "ALTER TABLE records ADD COLUMN recipe_revision VARCHAR(64) NULL",
            "ALTER TABLE records ADD COLUMN recipe_hash VARCHAR(128) NULL",
            "ALTER TABLE records ADD COLUMN port INTEGER NOT NULL DEFAULT 0",
            "ALTER TABLE records ADD COLUMN port_count INTEGER NOT NULL DEFAULT 0",
            "ALTER TABLE records ADD COLUMN run_uid VARCHAR(64) NULL",
            "ALTER TABLE records ADD COLUMN background_uid VARCHAR(64) NULL",
            "ALTER TABLE records ADD COLUMN background_age_s DOUBLE PRECISION NULL",
            "ALTER TABLE records ADD COLUMN judges_device INTEGER NOT NULL DEFAULT 0",
            "UPDATE records SET judges_device = 1 WHERE kind = 4 OR (port = 0 AND verdict <> '')",
            "CREATE INDEX records_by_recipe ON records (recipe_name, utc_ms DESC, id DESC)",
            // One row per figure per channel, read from the figures JSON; value NULL where the
            // figure could not be measured, pass NULL where the channel was not judged.
            "CREATE TABLE record_figures ("
            " record_id BIGINT NOT NULL REFERENCES records(id),"
            " port INTEGER NOT NULL, channel INTEGER NOT NULL, figure VARCHAR(64) NOT NULL,"
            " value DOUBLE PRECISION NULL,"
            " lower_bound DOUBLE PRECISION NULL, upper_bound DOUBLE PRECISION NULL,"
            " pass INTEGER NULL)",
            // The indexes are built after the rows: faster than kept up row by row.
            "INSERT INTO record_figures %FIGURE_ROWS%",
            "CREATE INDEX record_figures_by_record ON record_figures (record_id)",
            "CREATE INDEX record_figures_by_series ON record_figures (figure, channel, port, record_id)",
            // The failures are few: their rows are found without reading the others.
            "CREATE INDEX record_figures_failed ON record_figures (record_id) WHERE pass = 0",
            // Every figure series summed, over all records (scope '') and over each recipe's: the
            // statistics of a whole scope without reading its rows. n values in time order from
            // first to last; sums of (x - anchor), anchor being a value of the series; mr_sum the
            // moving ranges. A record stored between first and last, or removed, leaves the series
            // stale: it is summed again from its rows before it is read.
            "CREATE TABLE figure_series (" SERIES_COLUMNS " PRIMARY KEY (scope, port, channel, figure))",
            kSumSeries,
            // Every judged device's first and last judged record, over all records (scope '') and
            // over each recipe's: the yield of a whole scope without ranking its records.
            "CREATE TABLE device_verdicts ("
            " scope VARCHAR(200) NOT NULL, device TEXT NOT NULL,"
            " first_utc BIGINT NOT NULL, first_id BIGINT NOT NULL, first_ok INTEGER NOT NULL,"
            " last_utc BIGINT NOT NULL, last_id BIGINT NOT NULL, last_ok INTEGER NOT NULL,"
            " PRIMARY KEY (scope, device))",
            "INSERT INTO device_verdicts %DEVICES_ALL%",
            "INSERT INTO device_verdicts %DEVICES_BY_RECIPE%",
            "CREATE TABLE recipes ("
            " name VARCHAR(200) NOT NULL, revision INTEGER NOT NULL, hash VARCHAR(128) NOT NULL,"
            " text TEXT NOT NULL, published_utc_ms BIGINT NOT NULL,"
            " UNIQUE (name, revision))",
            // For dashboards, by the local day of the measurement (YYYY-MM-DD), bench and recipe
            // ('' for none). A device is counted on each day, bench and recipe it was judged on.
            "CREATE VIEW dashboard_yield AS"
            " WITH judged AS (SELECT %DAY% AS day, host_name, COALESCE(recipe_name, '') AS recipe,"
            "  COALESCE(NULLIF(device_id, ''), '#' || CAST(id AS TEXT)) AS device,"
            "  CASE WHEN verdict IN ('PASS', 'MARGINAL') THEN 1 ELSE 0 END AS ok, utc_ms, id FROM records"
            "  WHERE judges_device = 1 AND verdict IN ('PASS', 'MARGINAL', 'FAIL')),"
            " ranked AS (SELECT day, host_name, recipe, ok,"
            "  ROW_NUMBER() OVER (PARTITION BY day, host_name, recipe, device ORDER BY utc_ms, id) AS from_first,"
            "  ROW_NUMBER() OVER (PARTITION BY day, host_name, recipe, device ORDER BY utc_ms DESC, id DESC) AS from_last"
            "  FROM judged),"
            " counted AS (SELECT day, host_name AS bench, recipe, COUNT(CASE WHEN from_first = 1 THEN 1 END) AS tested,"
            "  COUNT(CASE WHEN from_first = 1 AND ok = 1 THEN 1 END) AS passed_first,"
            "  COUNT(CASE WHEN from_last = 1 AND ok = 1 THEN 1 END) AS passed FROM ranked GROUP BY 1, 2, 3)"
            " SELECT day, bench, recipe, tested, passed_first, passed,"
            "  CAST(passed_first AS DOUBLE PRECISION) / tested AS first_pass_yield,"
            "  CAST(passed AS DOUBLE PRECISION) / tested AS final_yield FROM counted",
            "CREATE VIEW dashboard_failures AS"
            " SELECT %DAY% AS day, r.host_name AS bench, COALESCE(r.recipe_name, '') AS recipe, f.figure, f.channel,"
            "  COUNT(*) AS failures FROM record_figures f JOIN records r ON r.id = f.record_id"
            " WHERE f.pass = 0 AND r.judges_device = 1 GROUP BY 1, 2, 3, 4, 5",
            "CREATE VIEW dashboard_figure_values AS"
            " SELECT r.id AS record_id, r.utc_ms, %DAY% AS day, r.device_id, r.host_name AS bench,"
            "  COALESCE(r.recipe_name, '') AS recipe, f.port, f.channel, f.figure, f.value, f.lower_bound,"
            "  f.upper_bound, f.pass FROM record_figures f JOIN records r ON r.id = f.record_id",
        },
        {
            // figure_series again per hour of the measurement (utc_ms / 3 600 000): a time range
            // reads its whole hours from here and only the parts of an hour at its ends from the
            // rows.
            "CREATE TABLE figure_hours (hour BIGINT NOT NULL," SERIES_COLUMNS
            " PRIMARY KEY (scope, hour, port, channel, figure))",
            kSumHours,
        },
    };
#undef SERIES_COLUMNS
    return steps;
}

// The figure rows of the records, from their figures JSON ({"channels": [{"channel", "verdict",
// "failing": [keys], "figures": {key: number or null}, "bounds": {key: [min, max]}}]}), in
// record_figures' column order. Records whose JSON holds no channels give none; a JSON that cannot
// be read is an error. The engines read JSON with functions of their own.
// SQLite parses a JSON text at every call: each channel's parts are cut out once, and the few
// failing keys found by their quoted text (figure keys are plain names, no quotes in them).
const char* const kFigureRowsSQLite =
    "WITH c AS MATERIALIZED (SELECT r.id, r.port, COALESCE(CAST(c.value ->> '$.channel' AS INTEGER), 0) AS channel,"
    "  c.value -> '$.figures' AS figures, c.value -> '$.bounds' AS bounds, c.value -> '$.failing' AS failing,"
    "  c.value ->> '$.verdict' IN ('PASS', 'FAIL') AS judged"
    "  FROM records r, json_each(r.figures_json, '$.channels') c"
    "  WHERE r.figures_json <> '' AND c.type = 'object'%RECORD%)"
    " SELECT c.id, c.port, c.channel, f.key, CASE WHEN f.type IN ('integer', 'real') THEN f.value END,"
    " CASE WHEN c.bounds IS NOT NULL THEN json_extract(c.bounds, '$.\"' || f.key || '\"[0]') END,"
    " CASE WHEN c.bounds IS NOT NULL THEN json_extract(c.bounds, '$.\"' || f.key || '\"[1]') END,"
    " CASE WHEN c.judged THEN CASE WHEN instr(c.failing, json_quote(f.key)) > 0 THEN 0 ELSE 1 END END"
    " FROM c, json_each(c.figures) f WHERE f.type IN ('integer', 'real', 'null')";
const char* const kFigureRowsPostgres =
    "SELECT r.id, r.port, COALESCE((c.value ->> 'channel')::integer, 0), f.key,"
    " CASE WHEN jsonb_typeof(f.value) = 'number' THEN (f.value)::float8 END,"
    " CASE WHEN jsonb_typeof(c.value -> 'bounds' -> f.key -> 0) = 'number'"
    "  THEN (c.value -> 'bounds' -> f.key ->> 0)::float8 END,"
    " CASE WHEN jsonb_typeof(c.value -> 'bounds' -> f.key -> 1) = 'number'"
    "  THEN (c.value -> 'bounds' -> f.key ->> 1)::float8 END,"
    " CASE WHEN c.value ->> 'verdict' IN ('PASS', 'FAIL') THEN"
    "  CASE WHEN jsonb_exists(c.value -> 'failing', f.key) THEN 0 ELSE 1 END END"
    " FROM records r"
    " CROSS JOIN LATERAL (SELECT CASE WHEN r.figures_json = '' THEN '{}' ELSE r.figures_json END::jsonb AS j) d"
    " CROSS JOIN LATERAL jsonb_array_elements(CASE WHEN jsonb_typeof(d.j -> 'channels') = 'array'"
    "  THEN d.j -> 'channels' ELSE '[]'::jsonb END) c(value)"
    " CROSS JOIN LATERAL jsonb_each(CASE WHEN jsonb_typeof(c.value -> 'figures') = 'object'"
    "  THEN c.value -> 'figures' ELSE '{}'::jsonb END) f(key, value)"
    " WHERE jsonb_typeof(f.value) IN ('number', 'null')%RECORD%";

constexpr const char* kSeriesColumns =
    "scope, port, channel, figure, n, anchor, sum_a, sumsq_a, minimum, maximum, mr_sum, first_utc, first_id,"
    " first_value, last_utc, last_id, last_value, lower_bound, upper_bound, stale";

// A judged record's device, as stats::yieldOf groups them.
constexpr const char* kDeviceKey = "COALESCE(NULLIF(r.device_id, ''), '#' || CAST(r.id AS TEXT))";

// device_verdicts' rows from the records that judge a device and `where` (" AND ...") selects.
QString deviceRows(bool byRecipe, const QString& where)
{
    return QStringLiteral(
               "WITH j AS (SELECT %1 AS scope, %2 AS device, r.utc_ms, r.id,"
               "  CASE WHEN r.verdict IN ('PASS', 'MARGINAL') THEN 1 ELSE 0 END AS ok FROM records r"
               "  WHERE r.judges_device = 1 AND r.verdict IN ('PASS', 'MARGINAL', 'FAIL')%3%4),"
               " ranked AS (SELECT scope, device, utc_ms, id, ok,"
               "  ROW_NUMBER() OVER (PARTITION BY scope, device ORDER BY utc_ms, id) AS from_first,"
               "  ROW_NUMBER() OVER (PARTITION BY scope, device ORDER BY utc_ms DESC, id DESC) AS from_last FROM j)"
               " SELECT scope, device, MIN(CASE WHEN from_first = 1 THEN utc_ms END) AS first_utc,"
               "  MIN(CASE WHEN from_first = 1 THEN id END) AS first_id, MIN(CASE WHEN from_first = 1 THEN ok END) AS first_ok,"
               "  MIN(CASE WHEN from_last = 1 THEN utc_ms END) AS last_utc, MIN(CASE WHEN from_last = 1 THEN id END) AS last_id,"
               "  MIN(CASE WHEN from_last = 1 THEN ok END) AS last_ok"
               " FROM ranked WHERE scope IS NOT NULL GROUP BY scope, device")
        .arg(QLatin1String(byRecipe ? "r.recipe_name" : "''"), QLatin1String(kDeviceKey),
             byRecipe ? QStringLiteral(" AND r.recipe_name IS NOT NULL") : QString(), where);
}

QString dialect(const char* statement, Engine engine, bool oneRecord = false)
{
    QString s = QString::fromLatin1(statement);
    const bool pg = engine == Engine::PostgreSQL;
    s.replace(QLatin1String("%FIGURE_ROWS%"), QLatin1String(pg ? kFigureRowsPostgres : kFigureRowsSQLite));
    // %RECORD% narrows the figure rows to one record, ? its id.
    s.replace(QLatin1String("%RECORD%"), QLatin1String(oneRecord ? " AND r.id = ?" : ""));
    s.replace(QLatin1String("%DEVICES_ALL%"), deviceRows(false, QString()));
    s.replace(QLatin1String("%DEVICES_BY_RECIPE%"), deviceRows(true, QString()));
    s.replace(QLatin1String("%DAY%"),
              pg ? QLatin1String("to_char(to_timestamp((utc_ms + utc_offset_s * 1000) / 1000.0) AT TIME ZONE 'UTC',"
                                 " 'YYYY-MM-DD')")
                 : QLatin1String("date((utc_ms + utc_offset_s * 1000) / 1000, 'unixepoch')"));
    s.replace(QLatin1String("%ID%"), pg ? QLatin1String("BIGSERIAL PRIMARY KEY") : QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT"));
    s.replace(QLatin1String("%BLOB%"), pg ? QLatin1String("BYTEA") : QLatin1String("BLOB"));
    return s;
}

// What a driver's message says went wrong.
StoreProblem classify(const QSqlError& e)
{
    const QString text = (e.driverText() + QLatin1Char(' ') + e.databaseText()).toLower();
    const QString code = e.nativeErrorCode();
    const auto has = [&text](const char* words) { return text.contains(QLatin1String(words)); };
    if (code == QLatin1String("28P01") || code == QLatin1String("28000") || has("password") ||
        has("authentication") || (has("role") && has("does not exist")))
        return StoreProblem::AccessDenied;
    if (code == QLatin1String("3D000") || (has("database") && has("does not exist"))) return StoreProblem::NoDatabase;
    if (code == QLatin1String("25006") || code == QLatin1String("42501") || has("readonly") || has("read-only") ||
        has("read only") || has("permission denied") || has("unable to open database file"))
        return StoreProblem::ReadOnly;
    if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P")) || has("could not connect") ||
        has("connection refused") || has("no connection") || has("server closed") || has("could not translate") ||
        has("timeout") || has("timed out") || has("connection to server") || has("terminating connection"))
        return StoreProblem::Unreachable;
    // PostgreSQL's data exceptions (22) and integrity constraint violations (23); SQLite's words.
    if ((code.size() == 5 && (code.startsWith(QLatin1String("22")) || code.startsWith(QLatin1String("23")))) ||
        has("constraint failed") || has("datatype mismatch") || has("too big"))
        return StoreProblem::Refused;
    return StoreProblem::Failed;
}

QString errorText(const QSqlError& e)
{
    const QString db = e.databaseText().trimmed();
    return db.isEmpty() ? e.driverText().trimmed() : db;
}

constexpr const char* kSummaryColumns =
    "id, utc_ms, utc_offset_s, device_id, kind, pass, host_name, module_serial, laser_serial, mode, verdict,"
    " channel_count, point_count, power, recipe_name, port";

RecordSummary readSummary(const QSqlQuery& q)
{
    RecordSummary s;
    s.id = q.value(0).toLongLong();
    s.utc = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC);
    s.utcOffsetS = q.value(2).toInt();
    s.deviceId = q.value(3).toString();
    s.kind = static_cast<RecordKind>(q.value(4).toInt());
    s.pass = q.value(5).toInt();
    s.hostName = q.value(6).toString();
    s.moduleSerial = q.value(7).toString();
    s.laserSerial = q.value(8).toString();
    s.mode = static_cast<RecordMode>(q.value(9).toInt());
    s.verdict = q.value(10).toString();
    s.channelCount = q.value(11).toInt();
    s.pointCount = q.value(12).toInt();
    if (!q.isNull(13)) s.power = q.value(13).toDouble();
    s.recipeName = q.value(14).toString();
    s.port = q.value(15).toInt();
    return s;
}

// A device pattern as LIKE sees it: '*' any run of characters, '%' and '_' themselves.
QString likePattern(const QString& pattern)
{
    QString like = pattern;
    like.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    like.replace(QLatin1Char('%'), QLatin1String("\\%"));
    like.replace(QLatin1Char('_'), QLatin1String("\\_"));
    like.replace(QLatin1Char('*'), QLatin1Char('%'));
    return like;
}

// The terms of a filter on the records table, its columns prefixed by `table` ("r." in a join),
// each with its values appended in order.
QStringList filterTerms(const RecordFilter& f, QVariantList& values, const QString& table = QString())
{
    QStringList terms;
    const auto term = [&terms, &table](const char* sql) { terms << QString::fromLatin1(sql).replace(QLatin1String("@"), table); };
    if (!f.deviceId.isEmpty()) {
        term("@device_id = ?");
        values << f.deviceId;
    }
    if (!f.devicePattern.isEmpty()) {
        term("LOWER(@device_id) LIKE LOWER(?) ESCAPE '\\'");
        values << likePattern(f.devicePattern);
    }
    if (f.from.isValid()) {
        term("@utc_ms >= ?");
        values << f.from.toMSecsSinceEpoch();
    }
    if (f.to.isValid()) {
        term("@utc_ms < ?");
        values << f.to.toMSecsSinceEpoch();
    }
    if (!f.verdict.isEmpty()) {
        term("@verdict = ?");
        values << (f.verdict == kNoVerdict ? QString(QLatin1String("")) : f.verdict);
    }
    if (!f.bench.isEmpty()) {
        term("(@host_name = ? OR @module_serial = ? OR @laser_serial = ?)");
        values << f.bench << f.bench << f.bench;
    }
    if (!f.recipe.isEmpty()) {
        term("@recipe_name = ?");
        values << f.recipe;
    }
    return terms;
}

QString whereClause(const RecordFilter& f, QVariantList& values)
{
    const QStringList terms = filterTerms(f, values);
    return terms.isEmpty() ? QString() : QStringLiteral(" WHERE ") + terms.join(QLatin1String(" AND "));
}

// A text the record may leave empty, stored as NULL.
QVariant orNull(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

// A new record's figure values added to their series of one scope, in the table %1 (%2 its
// columns, %3 the hour's value and a comma or nothing, %4 its key). A value after the last or
// before the first extends the sums and the moving ranges; one in between leaves the series stale.
#define AFTER_LAST                                                                                    \
    "(excluded.last_utc > %1.last_utc OR"                                                             \
    " (excluded.last_utc = %1.last_utc AND excluded.last_id > %1.last_id))"
#define BEFORE_FIRST                                                                                  \
    "(excluded.first_utc < %1.first_utc OR"                                                           \
    " (excluded.first_utc = %1.first_utc AND excluded.first_id < %1.first_id))"
constexpr const char* kAddToSeries =
    "INSERT INTO %1 (%2)"
    " SELECT %3?, f.port, f.channel, f.figure, 1, f.value, 0, 0, f.value, f.value, 0, ?, f.record_id, f.value, ?,"
    "  f.record_id, f.value, f.lower_bound, f.upper_bound, 0"
    " FROM record_figures f WHERE f.record_id = ? AND f.value IS NOT NULL"
    " ON CONFLICT (%4) DO UPDATE SET"
    "  n = %1.n + 1,"
    "  sum_a = %1.sum_a + (excluded.anchor - %1.anchor),"
    "  sumsq_a = %1.sumsq_a + (excluded.anchor - %1.anchor) * (excluded.anchor - %1.anchor),"
    "  minimum = CASE WHEN excluded.anchor < %1.minimum THEN excluded.anchor ELSE %1.minimum END,"
    "  maximum = CASE WHEN excluded.anchor > %1.maximum THEN excluded.anchor ELSE %1.maximum END,"
    "  mr_sum = %1.mr_sum + CASE WHEN " AFTER_LAST " THEN ABS(excluded.anchor - %1.last_value)"
    "   WHEN " BEFORE_FIRST " THEN ABS(%1.first_value - excluded.anchor) ELSE 0 END,"
    "  stale = CASE WHEN " AFTER_LAST " OR " BEFORE_FIRST " THEN %1.stale ELSE 1 END,"
    "  first_utc = CASE WHEN " BEFORE_FIRST " THEN excluded.first_utc ELSE %1.first_utc END,"
    "  first_id = CASE WHEN " BEFORE_FIRST " THEN excluded.first_id ELSE %1.first_id END,"
    "  first_value = CASE WHEN " BEFORE_FIRST " THEN excluded.first_value ELSE %1.first_value END,"
    "  last_utc = CASE WHEN " AFTER_LAST " THEN excluded.last_utc ELSE %1.last_utc END,"
    "  last_id = CASE WHEN " AFTER_LAST " THEN excluded.last_id ELSE %1.last_id END,"
    "  last_value = CASE WHEN " AFTER_LAST " THEN excluded.last_value ELSE %1.last_value END,"
    "  lower_bound = CASE WHEN " AFTER_LAST " THEN excluded.lower_bound ELSE %1.lower_bound END,"
    "  upper_bound = CASE WHEN " AFTER_LAST " THEN excluded.upper_bound ELSE %1.upper_bound END";

// A judged record's verdict on its device, in one scope: its first or last judged record if it
// is older than the first or newer than the last.
#define DEVICE_AFTER_LAST                                                                             \
    "(excluded.last_utc > device_verdicts.last_utc OR"                                                \
    " (excluded.last_utc = device_verdicts.last_utc AND excluded.last_id > device_verdicts.last_id))"
#define DEVICE_BEFORE_FIRST                                                                           \
    "(excluded.first_utc < device_verdicts.first_utc OR"                                              \
    " (excluded.first_utc = device_verdicts.first_utc AND excluded.first_id < device_verdicts.first_id))"
constexpr const char* kAddDeviceVerdict =
    "INSERT INTO device_verdicts (scope, device, first_utc, first_id, first_ok, last_utc, last_id, last_ok)"
    " VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (scope, device) DO UPDATE SET"
    "  first_utc = CASE WHEN " DEVICE_BEFORE_FIRST " THEN excluded.first_utc ELSE device_verdicts.first_utc END,"
    "  first_id = CASE WHEN " DEVICE_BEFORE_FIRST " THEN excluded.first_id ELSE device_verdicts.first_id END,"
    "  first_ok = CASE WHEN " DEVICE_BEFORE_FIRST " THEN excluded.first_ok ELSE device_verdicts.first_ok END,"
    "  last_utc = CASE WHEN " DEVICE_AFTER_LAST " THEN excluded.last_utc ELSE device_verdicts.last_utc END,"
    "  last_id = CASE WHEN " DEVICE_AFTER_LAST " THEN excluded.last_id ELSE device_verdicts.last_id END,"
    "  last_ok = CASE WHEN " DEVICE_AFTER_LAST " THEN excluded.last_ok ELSE device_verdicts.last_ok END";
#undef AFTER_LAST
#undef BEFORE_FIRST
#undef DEVICE_AFTER_LAST
#undef DEVICE_BEFORE_FIRST

// An unset text is stored as an empty one: the text columns hold no NULL.
QVariant notNull(const QVariant& v)
{
    return v.typeId() == QMetaType::QString && v.toString().isNull() ? QVariant(QString(QLatin1String(""))) : v;
}

std::optional<double> optionalDouble(const QSqlQuery& q, int column)
{
    return q.isNull(column) ? std::nullopt : std::optional<double>(q.value(column).toDouble());
}

QVariant orNull(std::optional<double> v)
{
    return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::Double));
}

// A figure series: its scope ('' for all records, else a recipe's name), hour (kWholeSeries in
// figure_series), port, channel and figure.
using SeriesKey = std::tuple<QString, qint64, int, int, QString>;
constexpr qint64 kWholeSeries = std::numeric_limits<qint64>::min();

// A series summed in time order, with what figure_series keeps beside the sums.
struct SeriesFold {
    stats::Aggregates sums;
    qint64 firstUtc = 0, firstId = 0, lastUtc = 0, lastId = 0;
    stats::SpecLimits limits;  // the newest row's
};
using SeriesFolds = std::map<SeriesKey, SeriesFold>;

// The statement adding a new record's values to figure_series, or to figure_hours at the hour of
// `utcMs`.
QString addToSeries(bool hourly, qint64 utcMs)
{
    return QString::fromLatin1(kAddToSeries)
        .arg(QLatin1String(hourly ? "figure_hours" : "figure_series"),
             QLatin1String(hourly ? "hour, " : "") + QLatin1String(kSeriesColumns),
             hourly ? QString::number(hourOf(utcMs)) + QStringLiteral(", ") : QString(),
             QLatin1String(hourly ? "scope, hour, port, channel, figure" : "scope, port, channel, figure"));
}

// Reads the figure rows with a value that the terms `where` (on f and r, ? bound to `values`)
// select, once, in time order, and sums them per series into `series` and per hour into `hours`
// (either may be null): over all records and, when `byRecipe`, over each recipe's too. The rows
// come straight off the time index; summing them in SQL would sort them per series.
bool foldSeries(QSqlQuery& q, const QString& where, const QVariantList& values, bool byRecipe, SeriesFolds* series,
                SeriesFolds* hours)
{
    q.setForwardOnly(true);  // millions of rows, read once: none kept
    q.prepare(QStringLiteral("SELECT r.recipe_name, f.port, f.channel, f.figure, f.value, f.lower_bound, f.upper_bound,"
                             " r.utc_ms, r.id FROM records r JOIN record_figures f ON f.record_id = r.id"
                             " WHERE f.value IS NOT NULL%1 ORDER BY r.utc_ms, r.id")
                  .arg(where.isEmpty() ? QString() : QStringLiteral(" AND ") + where));
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) return false;
    while (q.next()) {
        const qint64 utc = q.value(7).toLongLong();
        const auto add = [&q, utc](SeriesFolds* folds, const QString& scope, qint64 hour) {
            if (!folds) return;
            SeriesFold& s = (*folds)[{scope, hour, q.value(1).toInt(), q.value(2).toInt(), q.value(3).toString()}];
            const qint64 id = q.value(8).toLongLong();
            if (s.sums.count == 0) std::tie(s.firstUtc, s.firstId) = std::tie(utc, id);
            stats::extend(s.sums, q.value(4).toDouble());
            std::tie(s.lastUtc, s.lastId) = std::tie(utc, id);
            s.limits = {optionalDouble(q, 5), optionalDouble(q, 6)};
        };
        for (const QString& scope : {QString(QLatin1String("")), byRecipe ? q.value(0).toString() : QString()}) {
            if (scope.isNull()) continue;
            add(series, scope, kWholeSeries);
            add(hours, scope, hourOf(utc));
        }
    }
    return true;
}

// Writes the folds `keep` accepts into figure_series, or figure_hours when `hourly`, replacing
// their rows.
bool writeSeries(QSqlQuery& q, bool hourly, const SeriesFolds& folds, const std::function<bool(const SeriesKey&)>& keep)
{
    QStringList columns = QString::fromLatin1(kSeriesColumns).split(QLatin1String(", "));
    QStringList replace;
    for (const QString& column : columns.mid(4)) replace << column + QStringLiteral(" = excluded.") + column;
    if (hourly) columns.prepend(QStringLiteral("hour"));
    q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO UPDATE SET %5")
                  .arg(QLatin1String(hourly ? "figure_hours" : "figure_series"), columns.join(QLatin1String(", ")),
                       QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')),
                       QLatin1String(hourly ? "scope, hour, port, channel, figure" : "scope, port, channel, figure"),
                       replace.join(QLatin1String(", "))));
    for (const auto& [key, s] : folds) {
        if (!keep(key)) continue;
        const stats::Aggregates& a = s.sums;
        QVariantList values{std::get<0>(key), std::get<2>(key), std::get<3>(key), std::get<4>(key), qint64(a.count),
                            a.shift, a.sum, a.sumSquares, a.minimum, a.maximum, a.movingRangeSum, s.firstUtc,
                            s.firstId, a.shift, s.lastUtc, s.lastId, a.last, orNull(s.limits.lower),
                            orNull(s.limits.upper), 0};
        if (hourly) values.prepend(std::get<1>(key));
        for (int i = 0; i < values.size(); ++i) q.bindValue(i, values[i]);
        if (!q.exec()) return false;
    }
    return true;
}

// figure_series and/or figure_hours summed again from all the rows.
bool sumAllSeries(QSqlQuery& q, bool series, bool hours)
{
    SeriesFolds bySeries;
    SeriesFolds byHour;
    const auto all = [](const SeriesKey&) { return true; };
    return (!series || q.exec(QStringLiteral("DELETE FROM figure_series"))) &&
           (!hours || q.exec(QStringLiteral("DELETE FROM figure_hours"))) &&
           foldSeries(q, {}, {}, true, series ? &bySeries : nullptr, hours ? &byHour : nullptr) &&
           (!series || writeSeries(q, false, bySeries, all)) && (!hours || writeSeries(q, true, byHour, all));
}

// Sums the stale series and hours again from their rows, and drops those left without any: the
// hours from the rows of their hours only.
bool sumStaleSeries(QSqlQuery& q, const std::set<SeriesKey>& stale, qint64 firstHour, qint64 lastHour)
{
    const bool series = std::ranges::any_of(stale, [](const SeriesKey& key) { return std::get<1>(key) == kWholeSeries; });
    QString where;
    QVariantList values;
    if (!series) {
        where = QStringLiteral("r.utc_ms >= ? AND r.utc_ms < ?");
        values << firstHour * kHourMs << (lastHour + 1) * kHourMs;
    }
    SeriesFolds bySeries;
    SeriesFolds byHour;
    const auto isStale = [&stale](const SeriesKey& key) { return stale.contains(key); };
    return foldSeries(q, where, values, true, series ? &bySeries : nullptr, lastHour >= firstHour ? &byHour : nullptr) &&
           writeSeries(q, false, bySeries, isStale) && writeSeries(q, true, byHour, isStale) &&
           q.exec(QStringLiteral("DELETE FROM figure_series WHERE stale = 1")) &&
           q.exec(QStringLiteral("DELETE FROM figure_hours WHERE stale = 1"));
}

}  // namespace

QString StoreLocation::display() const
{
    if (engine == Engine::SQLite) return path;
    QString s = QStringLiteral("postgresql://");
    if (!user.isEmpty()) s += user + QLatin1Char('@');
    return s + host + QLatin1Char(':') + QString::number(port) + QLatin1Char('/') + database;
}

std::optional<StoreLocation> parseStoreLocation(const QString& urlOrPath, StoreError* error)
{
    const auto malformed = [error](const QString& why) -> std::optional<StoreLocation> {
        if (error) *error = {StoreProblem::MalformedUrl, why};
        return std::nullopt;
    };
    const QString text = urlOrPath.trimmed();
    if (text.isEmpty()) return malformed(QStringLiteral("empty"));
    StoreLocation where;
    const qsizetype scheme = text.indexOf(QLatin1String("://"));
    if (scheme < 0) {
        where.path = text;  // a plain file path
        return where;
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) return malformed(url.errorString());
    const QString kind = url.scheme().toLower();
    if (kind == QLatin1String("sqlite")) {
        if (url.path().isEmpty() || !url.host().isEmpty()) return malformed(QStringLiteral("sqlite:///path expected"));
        where.path = url.path();
        return where;
    }
    if (kind != QLatin1String("postgresql") && kind != QLatin1String("postgres"))
        return malformed(QStringLiteral("unknown scheme \"%1\"").arg(url.scheme()));
    where.engine = Engine::PostgreSQL;
    where.host = url.host();
    if (where.host.isEmpty()) return malformed(QStringLiteral("no host"));
    const QString portText = text.section(QLatin1Char('@'), -1).section(QLatin1Char('/'), 0, 0).section(QLatin1Char(':'), 1);
    where.port = url.port(5432);
    if (where.port <= 0 || (!portText.isEmpty() && url.port() < 0)) return malformed(QStringLiteral("bad port"));
    where.user = url.userName(QUrl::FullyDecoded);
    where.password = url.password(QUrl::FullyDecoded);
    where.database = url.path().mid(1);
    if (where.database.contains(QLatin1Char('/'))) return malformed(QStringLiteral("bad database name"));
    if (where.database.isEmpty()) where.database = where.user.isEmpty() ? QStringLiteral("postgres") : where.user;
    return where;
}

QString displayTarget(const QString& urlOrPath)
{
    const qsizetype scheme = urlOrPath.indexOf(QLatin1String("://"));
    const qsizetype at = urlOrPath.lastIndexOf(QLatin1Char('@'));
    if (scheme < 0 || at < 0) return urlOrPath;
    const qsizetype colon = urlOrPath.indexOf(QLatin1Char(':'), scheme + 3);
    if (colon < 0 || colon > at) return urlOrPath;
    return urlOrPath.left(colon + 1) + QStringLiteral("***") + urlOrPath.mid(at);
}

QSqlDatabase addStoreConnection(const StoreLocation& where, const QString& name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(driverName(where.engine), name);
    if (where.engine == Engine::SQLite) {
        db.setDatabaseName(where.path);
        // Waits for a lock another program holds instead of failing at once.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        return db;
    }
    db.setHostName(where.host);
    db.setPort(where.port);
    db.setUserName(where.user);
    db.setPassword(where.password);
    db.setDatabaseName(where.database);
    db.setConnectOptions(QStringLiteral("connect_timeout=3"));
    return db;
}

RecordStore::RecordStore()
    : connection_(QStringLiteral("vxm-records-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
{
}

RecordStore::~RecordStore() { close(); }

StoreError RecordStore::fail(StoreProblem problem, const QString& detail)
{
    error_ = {problem, detail};
    return error_;
}

StoreError RecordStore::open(const QString& urlOrPath)
{
    close();
    StoreError parseError;
    const auto where = parseStoreLocation(urlOrPath, &parseError);
    if (!where) return error_ = parseError;
    return open(*where);
}

StoreError RecordStore::open(const StoreLocation& where, int schemaVersion)
{
    close();
    where_ = where;
    const bool pg = where.engine == Engine::PostgreSQL;
    const QString driver = driverName(where.engine);
    if (!QSqlDatabase::isDriverAvailable(driver)) return fail(StoreProblem::DriverMissing, driver);
    QSqlDatabase db = addStoreConnection(where, connection_);
    if (!db.open()) {
        const QSqlError e = db.lastError();
        return fail(classify(e), errorText(e));
    }
    if (!pg) {
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));  // readers never wait for the writer
        q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    }
    const bool fresh = !db.tables().contains(QLatin1String("vxm_schema"));
    StoreError e = migrate(schemaVersion);
    // Another program creating the same new store at the same moment may win: its schema is used.
    if (e && fresh && db.tables().contains(QLatin1String("vxm_schema"))) e = migrate(schemaVersion);
    if (e) {
        db.close();
        return e;
    }
    error_ = {};
    return error_;
}

StoreError RecordStore::migrate(int schemaVersion)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const bool pg = where_.engine == Engine::PostgreSQL;
    QSqlQuery q(db);
    const auto failed = [this, &q, &db] {
        const QSqlError e = q.lastError();
        db.rollback();
        // Data a migration step cannot convert is the database's failure, not one record's.
        const StoreProblem problem = classify(e);
        return fail(problem == StoreProblem::Refused ? StoreProblem::Failed : problem, errorText(e));
    };
    // A transaction holding the write lock from its start: a write after a read in a plain SQLite
    // transaction fails at once when another connection wrote in between.
    const auto beginWrite = [this, &q, &db, pg] {
        if (pg ? db.transaction() : q.exec(QStringLiteral("BEGIN IMMEDIATE"))) return StoreError{};
        const QSqlError e = pg ? db.lastError() : q.lastError();
        return fail(classify(e), errorText(e));
    };
    const auto& steps = migrations();
    // Each step runs in a transaction holding the write lock, the version read again under it: a
    // bench opening the store at the same moment waits for the step, then finds it done.
    for (bool locked = false;; locked = true) {
        const QStringList tables = db.tables();
        int version = 0;
        if (tables.contains(QLatin1String("vxm_schema"))) {
            if (locked && pg && !q.exec(QStringLiteral("LOCK TABLE vxm_schema IN EXCLUSIVE MODE"))) return failed();
            if (!q.exec(QStringLiteral("SELECT version FROM vxm_schema")) || !q.next()) return failed();
            version = q.value(0).toInt();
        } else if (tables.contains(QLatin1String("records"))) {
            if (locked) db.rollback();
            return fail(StoreProblem::SchemaVersion, QStringLiteral("records without a schema version"));
        }
        if (version > kRecordSchemaVersion) {
            if (locked) db.rollback();
            return fail(StoreProblem::SchemaVersion,
                        QStringLiteral("version %1, this program knows %2").arg(version).arg(kRecordSchemaVersion));
        }
        if (version >= schemaVersion) {
            if (locked) db.rollback();
            break;
        }
        if (locked) {
            if (version == 0) {
                if (!q.exec(QStringLiteral("CREATE TABLE vxm_schema (version INTEGER NOT NULL)"))) return failed();
                if (!q.exec(QStringLiteral("INSERT INTO vxm_schema (version) VALUES (0)"))) return failed();
            }
            for (const char* statement : steps[static_cast<std::size_t>(version)])
                if (statement == kSumSeries || statement == kSumHours
                        ? !sumAllSeries(q, statement == kSumSeries, statement == kSumHours)
                        : !q.exec(dialect(statement, where_.engine)))
                    return failed();
            if (!q.exec(QStringLiteral("UPDATE vxm_schema SET version = %1").arg(version + 1))) return failed();
            if (!db.commit()) return fail(classify(db.lastError()), errorText(db.lastError()));
        }
        if (StoreError e = beginWrite()) return e;
    }
    // A database that can be read but not written says so now rather than at the first record.
    if (StoreError e = beginWrite()) return e;
    if (!q.exec(QStringLiteral("UPDATE vxm_schema SET version = version"))) return failed();
    db.rollback();
    return {};
}

void RecordStore::close()
{
    if (!QSqlDatabase::contains(connection_)) return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool RecordStore::isOpen() const
{
    return QSqlDatabase::contains(connection_) && QSqlDatabase::database(connection_, false).isOpen();
}

std::optional<std::int64_t> RecordStore::insert(const MeasurementRecord& r)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.isOpen()) {
        fail(StoreProblem::Unreachable, QStringLiteral("not connected"));
        return std::nullopt;
    }
    QSqlQuery q(db);
    const auto failed = [this, &q, &db]() -> std::optional<std::int64_t> {
        const QSqlError e = q.lastError().isValid() ? q.lastError() : db.lastError();
        db.rollback();
        fail(classify(e), errorText(e));
        return std::nullopt;
    };
    if (!db.transaction()) return failed();
    // A record sent again after a lost acknowledgement finds its uid stored and adds nothing.
    q.prepare(QStringLiteral("SELECT id FROM records WHERE uid = ?"));
    q.addBindValue(r.uid);
    if (!q.exec()) return failed();
    if (q.next()) {
        const std::int64_t id = q.value(0).toLongLong();
        db.rollback();
        error_ = {};
        return id;
    }
    const RecordSettings& s = r.settings;
    const BenchIdentity& b = r.bench;
    q.prepare(QStringLiteral(
        "INSERT INTO records (uid, utc_ms, utc_offset_s, device_id, kind, pass, module_part, module_serial,"
        " laser_part, laser_serial, program_version, host_name, start_nm, stop_nm, speed_nm_s, averages,"
        " data_length, channel, mode, background, remove_background, base_power, ref0, n_db, transmission,"
        " power_wavelength, figures_json, verdict, power, power_unit, channel_count, point_count,"
        " recipe_name, recipe_revision, recipe_hash, port, port_count, run_uid, background_uid, background_age_s,"
        " judges_device)"
        " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?) RETURNING id"));
    const QVariantList values = {
        r.uid, r.utc.toMSecsSinceEpoch(), r.utcOffsetS, r.deviceId, static_cast<int>(r.kind), r.pass,
        b.modulePart, b.moduleSerial, b.laserPart, b.laserSerial, b.programVersion, b.hostName,
        s.startNm, s.stopNm, s.speedNmPerS, s.averages, s.dataLength, s.channel, static_cast<int>(s.mode),
        int(s.background), int(s.removeBackground), int(s.basePower), int(s.ref0), s.nDb, int(s.transmission),
        s.powerWavelengthNm, r.figuresJson, r.verdict,
        r.power ? QVariant(*r.power) : QVariant(QMetaType(QMetaType::Double)), r.powerUnit,
        static_cast<int>(r.channels.size()), static_cast<int>(r.values.size())};
    for (const QVariant& v : values) q.addBindValue(notNull(v));
    for (const QString& text : {r.recipeName, r.recipeRevision, r.recipeHash}) q.addBindValue(orNull(text));
    q.addBindValue(r.port);
    q.addBindValue(r.portCount);
    q.addBindValue(orNull(r.runUid));
    q.addBindValue(orNull(r.backgroundUid));
    q.addBindValue(r.backgroundAgeS ? QVariant(*r.backgroundAgeS) : QVariant(QMetaType(QMetaType::Double)));
    q.addBindValue(int(r.judgesDevice()));
    if (!q.exec() || !q.next()) return failed();
    const std::int64_t id = q.value(0).toLongLong();
    q.finish();

    if (!r.channels.empty()) {
        q.prepare(QStringLiteral(
            "INSERT INTO record_channels (record_id, row_no, center_nm, bandwidth_nm, peak) VALUES (?,?,?,?,?)"));
        QVariantList ids, rows, centers, widths, peaks;
        for (std::size_t i = 0; i < r.channels.size(); ++i) {
            ids << qint64(id);
            rows << int(i + 1);
            centers << double(r.channels[i].centerNm);
            widths << double(r.channels[i].bandwidthNm);
            peaks << double(r.channels[i].peak);
        }
        for (const QVariantList* column : {&ids, &rows, &centers, &widths, &peaks}) q.addBindValue(*column);
        if (!q.execBatch()) return failed();
    }
    if (!r.wavelengthsNm.empty() || !r.values.empty()) {
        q.prepare(QStringLiteral("INSERT INTO record_spectra (record_id, data) VALUES (?, ?)"));
        q.addBindValue(qint64(id));
        q.addBindValue(encodeSpectrum(r.wavelengthsNm, r.values));
        if (!q.exec()) return failed();
    }
    QStringList scopes{QString()};
    if (!r.recipeName.isEmpty()) scopes << r.recipeName;
    if (r.judgesDevice() && stats::judgementOf(r.verdict) != stats::Judgement::NotJudged) {
        q.prepare(QLatin1String(kAddDeviceVerdict));
        const int ok = stats::judgementOf(r.verdict) == stats::Judgement::Pass ? 1 : 0;
        const QString device = r.deviceId.isEmpty() ? QStringLiteral("#%1").arg(id) : r.deviceId;
        for (const QString& scope : scopes) {
            int i = 0;
            for (const QVariant& v : {QVariant(notNull(scope)), QVariant(device), QVariant(r.utc.toMSecsSinceEpoch()),
                                      QVariant(qint64(id)), QVariant(ok), QVariant(r.utc.toMSecsSinceEpoch()),
                                      QVariant(qint64(id)), QVariant(ok)})
                q.bindValue(i++, v);
            if (!q.exec()) return failed();
        }
    }
    if (!r.figuresJson.isEmpty()) {
        q.prepare(dialect("INSERT INTO record_figures %FIGURE_ROWS%", where_.engine, true));
        q.addBindValue(qint64(id));
        if (!q.exec()) return failed();
        for (const bool hourly : {false, true}) {
            q.prepare(addToSeries(hourly, r.utc.toMSecsSinceEpoch()));
            for (const QString& scope : scopes) {
                q.bindValue(0, notNull(scope));
                q.bindValue(1, r.utc.toMSecsSinceEpoch());
                q.bindValue(2, r.utc.toMSecsSinceEpoch());
                q.bindValue(3, qint64(id));
                if (!q.exec()) return failed();
            }
        }
    }
    if (!db.commit()) return failed();
    error_ = {};
    return id;
}

std::vector<RecordSummary> RecordStore::list(const RecordFilter& filter)
{
    std::vector<RecordSummary> out;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    QVariantList values;
    QString sql = QStringLiteral("SELECT %1 FROM records").arg(QLatin1String(kSummaryColumns)) +
                  whereClause(filter, values) + QStringLiteral(" ORDER BY utc_ms DESC, id DESC");
    if (filter.limit > 0) sql += QStringLiteral(" LIMIT %1").arg(filter.limit);
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return out;
    }
    while (q.next()) out.push_back(readSummary(q));
    error_ = {};
    return out;
}

std::int64_t RecordStore::count(const RecordFilter& filter)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    QVariantList values;
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM records") + whereClause(filter, values));
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec() || !q.next()) {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return 0;
    }
    error_ = {};
    return q.value(0).toLongLong();
}

std::optional<MeasurementRecord> RecordStore::load(std::int64_t id)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    const auto failed = [this, &q]() -> std::optional<MeasurementRecord> {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return std::nullopt;
    };
    q.prepare(QStringLiteral(
        "SELECT uid, utc_ms, utc_offset_s, device_id, kind, pass, module_part, module_serial, laser_part,"
        " laser_serial, program_version, host_name, start_nm, stop_nm, speed_nm_s, averages, data_length,"
        " channel, mode, background, remove_background, base_power, ref0, n_db, transmission,"
        " power_wavelength, figures_json, verdict, power, power_unit, recipe_name, recipe_revision, recipe_hash,"
        " port, port_count, run_uid, background_uid, background_age_s FROM records WHERE id = ?"));
    q.addBindValue(qint64(id));
    if (!q.exec()) return failed();
    if (!q.next()) {
        error_ = {};
        return std::nullopt;
    }
    MeasurementRecord r;
    int c = 0;
    const auto next = [&q, &c] { return q.value(c++); };
    r.id = id;
    r.uid = next().toString();
    r.utc = QDateTime::fromMSecsSinceEpoch(next().toLongLong(), Qt::UTC);
    r.utcOffsetS = next().toInt();
    r.deviceId = next().toString();
    r.kind = static_cast<RecordKind>(next().toInt());
    r.pass = next().toInt();
    BenchIdentity& b = r.bench;
    for (QString* field : {&b.modulePart, &b.moduleSerial, &b.laserPart, &b.laserSerial, &b.programVersion, &b.hostName})
        *field = next().toString();
    RecordSettings& s = r.settings;
    for (std::int32_t* field : {&s.startNm, &s.stopNm, &s.speedNmPerS, &s.averages, &s.dataLength}) *field = next().toInt();
    s.channel = next().toString();
    s.mode = static_cast<RecordMode>(next().toInt());
    s.background = next().toInt() != 0;
    s.removeBackground = next().toInt() != 0;
    s.basePower = next().toInt() != 0;
    s.ref0 = next().toInt() != 0;
    s.nDb = next().toString();
    s.transmission = next().toInt() != 0;
    s.powerWavelengthNm = next().toString();
    r.figuresJson = next().toString();
    r.verdict = next().toString();
    if (!q.isNull(c)) r.power = q.value(c).toDouble();
    ++c;
    r.powerUnit = next().toString();
    for (QString* field : {&r.recipeName, &r.recipeRevision, &r.recipeHash}) *field = next().toString();
    r.port = next().toInt();
    r.portCount = next().toInt();
    r.runUid = next().toString();
    r.backgroundUid = next().toString();
    if (!q.isNull(c)) r.backgroundAgeS = q.value(c).toDouble();

    q.prepare(QStringLiteral(
        "SELECT center_nm, bandwidth_nm, peak FROM record_channels WHERE record_id = ? ORDER BY row_no"));
    q.addBindValue(qint64(id));
    if (!q.exec()) return failed();
    while (q.next())
        r.channels.push_back({static_cast<float>(q.value(0).toDouble()), static_cast<float>(q.value(1).toDouble()),
                              static_cast<float>(q.value(2).toDouble())});
    q.prepare(QStringLiteral("SELECT data FROM record_spectra WHERE record_id = ?"));
    q.addBindValue(qint64(id));
    if (!q.exec()) return failed();
    if (q.next() && !decodeSpectrum(q.value(0).toByteArray(), r.wavelengthsNm, r.values)) {
        fail(StoreProblem::Failed, QStringLiteral("damaged spectrum of record %1").arg(id));
        return std::nullopt;
    }
    error_ = {};
    return r;
}

bool RecordStore::remove(std::int64_t id)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    if (!db.transaction()) return false;
    const auto failed = [this, &q, &db] {
        fail(classify(q.lastError()), errorText(q.lastError()));
        db.rollback();
        return false;
    };
    q.prepare(QStringLiteral("SELECT %1, r.utc_ms FROM records r WHERE r.id = ?").arg(QLatin1String(kDeviceKey)));
    q.addBindValue(qint64(id));
    if (!q.exec()) return failed();
    const bool found = q.next();
    const QString device = found ? q.value(0).toString() : QString();
    const qint64 hour = found ? hourOf(q.value(1).toLongLong()) : 0;
    q.prepare(QStringLiteral("UPDATE figure_hours SET stale = 1 WHERE hour = ? AND EXISTS (SELECT 1 FROM record_figures f"
                             " JOIN records r ON r.id = f.record_id WHERE f.record_id = ? AND f.port = figure_hours.port"
                             " AND f.channel = figure_hours.channel AND f.figure = figure_hours.figure"
                             " AND (figure_hours.scope = '' OR figure_hours.scope = r.recipe_name))"));
    q.addBindValue(hour);
    q.addBindValue(qint64(id));
    if (!q.exec()) return failed();
    for (const char* sql : {"UPDATE figure_series SET stale = 1 WHERE EXISTS (SELECT 1 FROM record_figures f"
                            " JOIN records r ON r.id = f.record_id WHERE f.record_id = ? AND f.port = figure_series.port"
                            " AND f.channel = figure_series.channel AND f.figure = figure_series.figure"
                            " AND (figure_series.scope = '' OR figure_series.scope = r.recipe_name))",
                            "DELETE FROM record_channels WHERE record_id = ?", "DELETE FROM record_spectra WHERE record_id = ?",
                            "DELETE FROM record_figures WHERE record_id = ?", "DELETE FROM records WHERE id = ?"}) {
        q.prepare(QString::fromLatin1(sql));
        q.addBindValue(qint64(id));
        if (!q.exec()) return failed();
    }
    // The device's first and last verdicts, from the records it has left.
    const QString ofDevice = QStringLiteral(" AND %1 = ?").arg(QLatin1String(kDeviceKey));
    for (const QString& sql : {QStringLiteral("DELETE FROM device_verdicts WHERE device = ?"),
                               QStringLiteral("INSERT INTO device_verdicts ") + deviceRows(false, ofDevice),
                               QStringLiteral("INSERT INTO device_verdicts ") + deviceRows(true, ofDevice)}) {
        q.prepare(sql);
        q.addBindValue(device);
        if (!q.exec()) return failed();
    }
    if (!db.commit()) return false;
    error_ = {};
    return true;
}

std::vector<std::int64_t> RecordStore::oldestIds(int limit)
{
    std::vector<std::int64_t> ids;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(QStringLiteral("SELECT id FROM records ORDER BY id LIMIT %1").arg(limit))) {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return ids;
    }
    while (q.next()) ids.push_back(q.value(0).toLongLong());
    return ids;
}

QStringList RecordStore::benches()
{
    QStringList hosts;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(QStringLiteral("SELECT DISTINCT host_name FROM records ORDER BY host_name"))) return hosts;
    while (q.next()) hosts << q.value(0).toString();
    return hosts;
}

bool RecordStore::publishRecipe(const QString& name, int revision, const QString& hash, const QString& text)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    const auto failed = [this, &q] {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return false;
    };
    // Two benches publishing the same revision at once both succeed: the second insert does nothing.
    q.prepare(QStringLiteral("INSERT INTO recipes (name, revision, hash, text, published_utc_ms) VALUES (?,?,?,?,?)"
                             " ON CONFLICT (name, revision) DO NOTHING"));
    for (const QVariant& v : {QVariant(name), QVariant(revision), QVariant(hash), QVariant(text),
                              QVariant(QDateTime::currentMSecsSinceEpoch())})
        q.addBindValue(notNull(v));
    if (!q.exec()) return failed();
    q.prepare(QStringLiteral("SELECT hash, text FROM recipes WHERE name = ? AND revision = ?"));
    q.addBindValue(name);
    q.addBindValue(revision);
    if (!q.exec() || !q.next()) return failed();
    if (q.value(0).toString() != hash || q.value(1).toString() != text) {
        fail(StoreProblem::Failed,
             QStringLiteral("recipe \"%1\" revision %2 is already published with another text").arg(name).arg(revision));
        return false;
    }
    error_ = {};
    return true;
}

namespace {
constexpr const char* kNewestRecipes =
    "SELECT name, revision, hash, text FROM recipes r"
    " WHERE revision = (SELECT MAX(revision) FROM recipes n WHERE n.name = r.name)";
}  // namespace

std::vector<StoredRecipe> RecordStore::newestRecipes()
{
    std::vector<StoredRecipe> out;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (!q.exec(QLatin1String(kNewestRecipes) + QStringLiteral(" ORDER BY name"))) {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return out;
    }
    while (q.next()) out.push_back({q.value(0).toString(), q.value(1).toInt(), q.value(2).toString(), q.value(3).toString()});
    error_ = {};
    return out;
}

std::optional<StoredRecipe> RecordStore::loadRecipe(const QString& name)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QLatin1String(kNewestRecipes) + QStringLiteral(" AND name = ?"));
    q.addBindValue(name);
    if (!q.exec()) {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return std::nullopt;
    }
    error_ = {};
    if (!q.next()) return std::nullopt;
    return StoredRecipe{q.value(0).toString(), q.value(1).toInt(), q.value(2).toString(), q.value(3).toString()};
}

namespace {

// The records' filter as terms on "r", joined by AND after `first`.
QString filtered(const QString& first, const RecordFilter& filter, QVariantList& values)
{
    QStringList terms{first};
    terms << filterTerms(filter, values, QStringLiteral("r."));
    return QStringLiteral(" WHERE ") + terms.join(QLatin1String(" AND "));
}

// Failed figures of the records that judge a device: a device measured port by port counts once,
// by its device record, not again by its port records.
constexpr const char* kFailures =
    "SELECT f.figure, f.channel, COUNT(*) FROM record_figures f JOIN records r ON r.id = f.record_id%1"
    " GROUP BY f.figure, f.channel ORDER BY f.figure, f.channel";

// A figure series' aggregates from one row of figure_series (kSeriesColumns' order).
FigureStatistics seriesFromRow(const QSqlQuery& q)
{
    FigureStatistics s;
    s.port = q.value(1).toInt();
    s.channel = q.value(2).toInt();
    s.figure = q.value(3).toString();
    // The sums are of x - anchor; capability.h's are of x - the first value: the same sums when
    // the anchor is the first value, as it is unless an older record came later.
    stats::Aggregates& a = s.aggregates;
    a.count = q.value(4).toLongLong();
    const double n = static_cast<double>(a.count);
    const double anchor = q.value(5).toDouble();
    a.shift = q.value(13).toDouble();
    const double d = anchor - a.shift;
    const double sumA = q.value(6).toDouble();
    a.sum = d == 0.0 ? sumA : sumA + n * d;
    a.sumSquares = d == 0.0 ? q.value(7).toDouble() : q.value(7).toDouble() + 2.0 * d * sumA + n * d * d;
    a.minimum = q.value(8).toDouble();
    a.maximum = q.value(9).toDouble();
    a.movingRangeSum = q.value(10).toDouble();
    a.movingRangeCount = a.count - 1;
    a.last = q.value(16).toDouble();
    s.limits = {optionalDouble(q, 17), optionalDouble(q, 18)};
    return s;
}

// The pre-summed series of all records (recipe empty) or of one recipe's.
bool readSeries(QSqlQuery& q, const QString& recipe, std::vector<FigureStatistics>& out)
{
    q.prepare(QStringLiteral("SELECT %1 FROM figure_series WHERE scope = ? ORDER BY port, channel, figure")
                  .arg(QLatin1String(kSeriesColumns)));
    q.addBindValue(notNull(recipe));
    if (!q.exec()) return false;
    while (q.next()) out.push_back(seriesFromRow(q));
    return true;
}

// Each port's, channel's and figure's sums and newest limits, as the statistics give them.
using FigureSums = std::map<std::tuple<int, int, QString>, std::pair<stats::Aggregates, stats::SpecLimits>>;

void appendFold(FigureSums& sums, int port, int channel, const QString& figure, const stats::Aggregates& a,
                const stats::SpecLimits& limits)
{
    auto& [sum, newest] = sums[{port, channel, figure}];
    stats::append(sum, a);
    newest = limits;
}

// Adds the sums of the rows `filter` selects, which follow those `sums` holds in time.
bool appendRows(QSqlQuery& q, const RecordFilter& filter, FigureSums& sums)
{
    QVariantList values;
    SeriesFolds series;
    if (!foldSeries(q, filterTerms(filter, values, QStringLiteral("r.")).join(QLatin1String(" AND ")), values, false,
                    &series, nullptr))
        return false;
    for (const auto& [key, s] : series) appendFold(sums, std::get<2>(key), std::get<3>(key), std::get<4>(key), s.sums, s.limits);
    return true;
}

// Adds the hours [firstHour, endHour) of the recipe's series (all records' when empty).
bool appendHours(QSqlQuery& q, const QString& recipe, qint64 firstHour, qint64 endHour, FigureSums& sums)
{
    q.prepare(QStringLiteral("SELECT %1 FROM figure_hours WHERE scope = ? AND hour >= ? AND hour < ? ORDER BY hour")
                  .arg(QLatin1String(kSeriesColumns)));
    q.addBindValue(notNull(recipe));
    q.addBindValue(firstHour);
    q.addBindValue(endHour);
    if (!q.exec()) return false;
    while (q.next()) {
        const FigureStatistics hour = seriesFromRow(q);
        appendFold(sums, hour.port, hour.channel, hour.figure, hour.aggregates, hour.limits);
    }
    return true;
}

// The series of the records `filter` selects, from their rows; for a time range of whole hours
// and more (`byHours`: the filter names a time range and at most a recipe), its whole hours from
// figure_hours and only the parts of an hour at its ends from the rows.
bool sumFilteredSeries(QSqlQuery& q, const RecordFilter& filter, bool byHours, std::vector<FigureStatistics>& out)
{
    FigureSums sums;
    const qint64 firstHour = filter.from.isValid() ? -hourOf(-filter.from.toMSecsSinceEpoch())
                                                   : std::numeric_limits<qint64>::min() / kHourMs;
    const qint64 endHour = filter.to.isValid() ? hourOf(filter.to.toMSecsSinceEpoch()) : std::numeric_limits<qint64>::max() / kHourMs;
    if (!byHours || firstHour >= endHour) {
        if (!appendRows(q, filter, sums)) return false;
    } else {
        RecordFilter before = filter;
        before.to = QDateTime::fromMSecsSinceEpoch(firstHour * kHourMs, Qt::UTC);
        RecordFilter after = filter;
        after.from = QDateTime::fromMSecsSinceEpoch(endHour * kHourMs, Qt::UTC);
        if ((filter.from.isValid() && !appendRows(q, before, sums)) || !appendHours(q, filter.recipe, firstHour, endHour, sums) ||
            (filter.to.isValid() && !appendRows(q, after, sums)))
            return false;
    }
    for (const auto& [key, sum] : sums) out.push_back({std::get<0>(key), std::get<1>(key), std::get<2>(key), sum.first, sum.second});
    return true;
}

// The yield of all records (recipe empty) or of one recipe's, from device_verdicts.
bool readYield(QSqlQuery& q, const QString& recipe, stats::Yield& out)
{
    q.prepare(QStringLiteral("SELECT COUNT(*), COALESCE(SUM(first_ok), 0), COALESCE(SUM(last_ok), 0) FROM device_verdicts"
                             " WHERE scope = ?"));
    q.addBindValue(notNull(recipe));
    if (!q.exec() || !q.next()) return false;
    out = stats::yieldFromCounts(q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong());
    return true;
}

// The yield of the judged records `filter` selects, read in time order off the time index.
bool yieldOfRows(QSqlQuery& q, const RecordFilter& filter, stats::Yield& out)
{
    QVariantList values;
    q.prepare(QStringLiteral("SELECT r.device_id, r.verdict FROM records r") +
              filtered(QStringLiteral("r.judges_device = 1 AND r.verdict IN ('PASS', 'MARGINAL', 'FAIL')"), filter, values) +
              QStringLiteral(" ORDER BY r.utc_ms, r.id"));
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) return false;
    std::vector<stats::JudgedRecord> judged;
    while (q.next()) judged.push_back({q.value(0).toString(), q.value(1).toString()});
    out = stats::yieldOf(judged);
    return true;
}

}  // namespace

bool RecordStore::refreshSeries(bool all)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    std::set<SeriesKey> stale;
    qint64 firstHour = std::numeric_limits<qint64>::max();
    qint64 lastHour = std::numeric_limits<qint64>::min();
    if (!all) {
        if (!q.exec(QStringLiteral("SELECT scope, NULL, port, channel, figure FROM figure_series WHERE stale = 1"
                                   " UNION ALL SELECT scope, hour, port, channel, figure FROM figure_hours WHERE stale = 1")))
            return false;
        while (q.next()) {
            const qint64 hour = q.isNull(1) ? kWholeSeries : q.value(1).toLongLong();
            stale.insert({q.value(0).toString(), hour, q.value(2).toInt(), q.value(3).toInt(), q.value(4).toString()});
            if (hour != kWholeSeries) std::tie(firstHour, lastHour) = std::tuple(std::min(firstHour, hour), std::max(lastHour, hour));
        }
        if (stale.empty()) return true;
    }
    if (!db.transaction()) return false;
    const bool ok = all ? q.exec(QStringLiteral("DELETE FROM device_verdicts")) &&
                              q.exec(QStringLiteral("INSERT INTO device_verdicts ") + deviceRows(false, QString())) &&
                              q.exec(QStringLiteral("INSERT INTO device_verdicts ") + deviceRows(true, QString())) &&
                              sumAllSeries(q, true, true)
                        : sumStaleSeries(q, stale, firstHour, lastHour);
    if (!ok) {
        fail(classify(q.lastError()), errorText(q.lastError()));
        db.rollback();
        return false;
    }
    return db.commit();
}

bool RecordStore::resummarize()
{
    if (!refreshSeries(true)) return false;
    error_ = {};
    return true;
}

LineStatistics RecordStore::statistics(const RecordFilter& filter)
{
    LineStatistics out;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    const auto run = [this, &q, &filter](const QString& sql, const char* first) {
        QVariantList values;
        const QString where = filtered(QString::fromLatin1(first), filter, values);
        q.prepare(QString(sql).arg(where));
        for (const QVariant& v : values) q.addBindValue(v);
        if (q.exec()) return true;
        fail(classify(q.lastError()), errorText(q.lastError()));
        return false;
    };
    // All records, or one recipe's: the devices and series summed as they were stored. Any other
    // filter: the devices and series summed now, from the rows it selects, a time range's whole
    // hours from their sums.
    RecordFilter onlyRecipe;
    onlyRecipe.recipe = filter.recipe;
    onlyRecipe.limit = filter.limit;
    RecordFilter timeRange = onlyRecipe;
    timeRange.from = filter.from;
    timeRange.to = filter.to;
    const bool summed = filter == onlyRecipe && refreshSeries(false);
    const bool byHours = !summed && filter == timeRange && refreshSeries(false);
    if (summed ? !readYield(q, filter.recipe, out.yield) : !yieldOfRows(q, filter, out.yield)) {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return out;
    }
    if (summed ? !readSeries(q, filter.recipe, out.figures) : !sumFilteredSeries(q, filter, byHours, out.figures)) {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return out;
    }
    if (!run(QLatin1String(kFailures), "f.pass = 0 AND r.judges_device = 1")) return out;
    while (q.next()) out.failures.push_back({q.value(0).toString(), q.value(1).toInt(), q.value(2).toLongLong()});
    error_ = {};
    return out;
}

std::vector<FigureValue> RecordStore::figureValues(const RecordFilter& filter, int port, int channel, const QString& figure)
{
    std::vector<FigureValue> out;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    QVariantList values{port, channel, figure};
    const QString where =
        filtered(QStringLiteral("f.port = ? AND f.channel = ? AND f.figure = ? AND f.value IS NOT NULL"), filter, values);
    q.prepare(QStringLiteral("SELECT r.utc_ms, f.value FROM record_figures f JOIN records r ON r.id = f.record_id") + where +
              QStringLiteral(" ORDER BY r.utc_ms, r.id"));
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) {
        fail(classify(q.lastError()), errorText(q.lastError()));
        return out;
    }
    while (q.next()) out.push_back({QDateTime::fromMSecsSinceEpoch(q.value(0).toLongLong(), Qt::UTC), q.value(1).toDouble()});
    error_ = {};
    return out;
}

std::optional<std::int64_t> RecordStore::pruneSpectra(const QDateTime& before, int batch)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("DELETE FROM record_spectra WHERE record_id IN (SELECT r.id FROM records r JOIN"
                             " record_spectra s ON s.record_id = r.id WHERE r.utc_ms < ? LIMIT %1)")
                  .arg(std::max(batch, 1)));
    std::int64_t deleted = 0;
    int lockedOut = 0;
    for (;;) {
        // One statement, one transaction: a bench's insert waits for one batch at most.
        q.addBindValue(before.toMSecsSinceEpoch());
        if (!q.exec()) {
            const QString why = errorText(q.lastError());
            // Busy benches may hold the lock past the wait for it: the batch is tried again.
            if ((why.contains(QLatin1String("lock"), Qt::CaseInsensitive) || why.contains(QLatin1String("busy"))) &&
                ++lockedOut < 20) {
                QThread::msleep(20);
                continue;
            }
            fail(classify(q.lastError()), why);
            return std::nullopt;
        }
        const int n = q.numRowsAffected();
        if (n <= 0) break;
        deleted += n;
    }
    error_ = {};
    return deleted;
}
