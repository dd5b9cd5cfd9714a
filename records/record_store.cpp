#include "records/record_store.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QVariant>

#include <algorithm>

namespace {

QAtomicInt connectionCounter;

using Engine = StoreLocation::Engine;

QString driverName(Engine engine)
{
    return engine == Engine::PostgreSQL ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
}

// The schema's steps: step i brings a database from version i to i + 1. %ID% and %BLOB% are the
// two column types the engines spell differently.
const std::vector<std::vector<const char*>>& migrations()
{
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
    };
    return steps;
}

QString dialect(const char* statement, Engine engine)
{
    QString s = QString::fromLatin1(statement);
    const bool pg = engine == Engine::PostgreSQL;
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
    " channel_count, point_count, power";

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
    return s;
}

// The WHERE clause of a filter and its values, in order.
QString whereClause(const RecordFilter& f, QVariantList& values)
{
    QStringList terms;
    if (!f.deviceId.isEmpty()) {
        terms << QStringLiteral("device_id = ?");
        values << f.deviceId;
    }
    if (f.from.isValid()) {
        terms << QStringLiteral("utc_ms >= ?");
        values << f.from.toMSecsSinceEpoch();
    }
    if (f.to.isValid()) {
        terms << QStringLiteral("utc_ms < ?");
        values << f.to.toMSecsSinceEpoch();
    }
    if (!f.verdict.isEmpty()) {
        terms << QStringLiteral("verdict = ?");
        values << (f.verdict == kNoVerdict ? QString(QLatin1String("")) : f.verdict);
    }
    if (!f.bench.isEmpty()) {
        terms << QStringLiteral("(host_name = ? OR module_serial = ? OR laser_serial = ?)");
        values << f.bench << f.bench << f.bench;
    }
    return terms.isEmpty() ? QString() : QStringLiteral(" WHERE ") + terms.join(QLatin1String(" AND "));
}

// An unset text is stored as an empty one: the text columns hold no NULL.
QVariant notNull(const QVariant& v)
{
    return v.typeId() == QMetaType::QString && v.toString().isNull() ? QVariant(QString(QLatin1String(""))) : v;
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

StoreError RecordStore::open(const StoreLocation& where)
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
    if (StoreError e = migrate()) {
        db.close();
        return e;
    }
    error_ = {};
    return error_;
}

StoreError RecordStore::migrate()
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const QStringList tables = db.tables();
    QSqlQuery q(db);
    const auto failed = [this, &q, &db] {
        const QSqlError e = q.lastError();
        db.rollback();
        return fail(classify(e), errorText(e));
    };
    int version = 0;
    if (tables.contains(QLatin1String("vxm_schema"))) {
        if (!q.exec(QStringLiteral("SELECT version FROM vxm_schema")) || !q.next()) return failed();
        version = q.value(0).toInt();
    } else if (tables.contains(QLatin1String("records"))) {
        return fail(StoreProblem::SchemaVersion, QStringLiteral("records without a schema version"));
    }
    if (version > kRecordSchemaVersion)
        return fail(StoreProblem::SchemaVersion,
                    QStringLiteral("version %1, this program knows %2").arg(version).arg(kRecordSchemaVersion));
    const auto& steps = migrations();
    for (; version < kRecordSchemaVersion; ++version) {
        if (!db.transaction()) return fail(classify(db.lastError()), errorText(db.lastError()));
        if (version == 0) {
            if (!q.exec(QStringLiteral("CREATE TABLE vxm_schema (version INTEGER NOT NULL)"))) return failed();
            if (!q.exec(QStringLiteral("INSERT INTO vxm_schema (version) VALUES (0)"))) return failed();
        }
        for (const char* statement : steps[static_cast<std::size_t>(version)])
            if (!q.exec(dialect(statement, where_.engine))) return failed();
        if (!q.exec(QStringLiteral("UPDATE vxm_schema SET version = %1").arg(version + 1))) return failed();
        if (!db.commit()) return fail(classify(db.lastError()), errorText(db.lastError()));
    }
    // A database that can be read but not written says so now rather than at the first record.
    if (!db.transaction()) return fail(classify(db.lastError()), errorText(db.lastError()));
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
        " power_wavelength, figures_json, verdict, power, power_unit, channel_count, point_count)"
        " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?) RETURNING id"));
    const QVariantList values = {
        r.uid, r.utc.toMSecsSinceEpoch(), r.utcOffsetS, r.deviceId, static_cast<int>(r.kind), r.pass,
        b.modulePart, b.moduleSerial, b.laserPart, b.laserSerial, b.programVersion, b.hostName,
        s.startNm, s.stopNm, s.speedNmPerS, s.averages, s.dataLength, s.channel, static_cast<int>(s.mode),
        int(s.background), int(s.removeBackground), int(s.basePower), int(s.ref0), s.nDb, int(s.transmission),
        s.powerWavelengthNm, r.figuresJson, r.verdict,
        r.power ? QVariant(*r.power) : QVariant(QMetaType(QMetaType::Double)), r.powerUnit,
        static_cast<int>(r.channels.size()), static_cast<int>(r.values.size())};
    for (const QVariant& v : values) q.addBindValue(notNull(v));
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
        " power_wavelength, figures_json, verdict, power, power_unit FROM records WHERE id = ?"));
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
    for (const char* sql : {"DELETE FROM record_channels WHERE record_id = ?", "DELETE FROM record_spectra WHERE record_id = ?",
                            "DELETE FROM records WHERE id = ?"}) {
        q.prepare(QString::fromLatin1(sql));
        q.addBindValue(qint64(id));
        if (!q.exec()) {
            fail(classify(q.lastError()), errorText(q.lastError()));
            db.rollback();
            return false;
        }
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

std::optional<std::int64_t> RecordStore::pruneSpectra(const QDateTime& before, int batch)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("DELETE FROM record_spectra WHERE record_id IN (SELECT r.id FROM records r JOIN"
                             " record_spectra s ON s.record_id = r.id WHERE r.utc_ms < ? LIMIT %1)")
                  .arg(std::max(batch, 1)));
    std::int64_t deleted = 0;
    for (;;) {
        // One statement, one transaction: a bench's insert waits for one batch at most.
        q.addBindValue(before.toMSecsSinceEpoch());
        if (!q.exec()) {
            fail(classify(q.lastError()), errorText(q.lastError()));
            return std::nullopt;
        }
        const int n = q.numRowsAffected();
        if (n <= 0) break;
        deleted += n;
    }
    error_ = {};
    return deleted;
}
