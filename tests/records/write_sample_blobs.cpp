// Stores a few spectra through the record store into an SQLite file and writes each one's float
// patterns as text beside it, for decode_blob.py to read the blobs back without the program.
// usage: write_sample_blobs STORE.sqlite EXPECTED.txt
#include "records/record_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

namespace {

MeasurementRecord spectrum(std::vector<float> wavelengths, std::vector<float> values)
{
    return {.uid = newRecordUid(), .utc = QDateTime::currentDateTimeUtc(), .wavelengthsNm = std::move(wavelengths),
            .values = std::move(values)};
}

std::vector<MeasurementRecord> samples()
{
    std::vector<float> wl, il;
    for (int i = 0; i < 20001; ++i) {
        wl.push_back(1527.0F + 0.002F * static_cast<float>(i));
        il.push_back(-3.0F * std::sin(static_cast<float>(i) * 0.01F) - 0.001F * static_cast<float>(i % 7));
    }
    il[1] = -0.0F;
    il[2] = std::numeric_limits<float>::denorm_min();
    il[3] = std::numeric_limits<float>::quiet_NaN();
    il[4] = -std::numeric_limits<float>::infinity();
    il[5] = -std::numeric_limits<float>::signaling_NaN();
    // Any pattern at all, so that every delta wraps around somewhere.
    std::mt19937 random(7);
    std::vector<float> noiseWl, noise;
    for (int i = 0; i < 777; ++i) {
        noiseWl.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
        noise.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
    }
    return {spectrum(wl, il), spectrum({1550.0F, 1550.5F}, {-40.25F, std::numeric_limits<float>::quiet_NaN()}),
            spectrum(noiseWl, noise), spectrum({1530.0F, 1531.0F, 1532.0F}, {})};
}

void writePatterns(QTextStream& out, const std::vector<float>& data)
{
    for (const float f : data) out << ' ' << QString::number(std::bit_cast<std::uint32_t>(f), 16);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3) return 2;
    RecordStore store;
    if (const StoreError e = store.open(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "%s\n", qPrintable(e.detail));
        return 1;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
    QTextStream out(&file);
    for (const MeasurementRecord& r : samples()) {
        if (!store.insert(r)) {
            std::fprintf(stderr, "%s\n", qPrintable(store.lastError().detail));
            return 1;
        }
        out << r.uid << ' ' << r.wavelengthsNm.size() << ' ' << r.values.size();
        writePatterns(out, r.wavelengthsNm);
        writePatterns(out, r.values);
        out << '\n';
    }
    return 0;
}
