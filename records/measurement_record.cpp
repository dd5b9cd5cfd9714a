#include "records/measurement_record.h"

#include <QUuid>
#include <QtEndian>

#include <bit>
#include <cstring>

namespace {
// "VXS" and the format's version.
constexpr char kMagic[4] = {'V', 'X', 'S', '1'};
constexpr int kHeader = 12;  // magic, wavelength count, value count

// Each float's bit pattern minus the previous one's, its bytes split into four planes (all low
// bytes, then the next, ...). Evenly spaced wavelengths become runs of equal bytes and a smooth
// trace's sign and exponent bytes repeat, which is what the compressor then packs.
void appendPlanes(QByteArray& out, const std::vector<float>& data)
{
    const qsizetype n = static_cast<qsizetype>(data.size());
    const qsizetype base = out.size();
    out.resize(base + 4 * n);
    char* planes = out.data() + base;
    std::uint32_t previous = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const auto bits = std::bit_cast<std::uint32_t>(data[static_cast<std::size_t>(i)]);
        const std::uint32_t delta = bits - previous;
        previous = bits;
        for (int b = 0; b < 4; ++b) planes[b * n + i] = static_cast<char>((delta >> (8 * b)) & 0xFF);
    }
}

void readPlanes(const char* planes, qsizetype n, std::vector<float>& data)
{
    data.resize(static_cast<std::size_t>(n));
    std::uint32_t previous = 0;
    for (qsizetype i = 0; i < n; ++i) {
        std::uint32_t delta = 0;
        for (int b = 0; b < 4; ++b) delta |= std::uint32_t(static_cast<unsigned char>(planes[b * n + i])) << (8 * b);
        previous += delta;
        data[static_cast<std::size_t>(i)] = std::bit_cast<float>(previous);
    }
}
}  // namespace

QByteArray encodeSpectrum(const std::vector<float>& wavelengthsNm, const std::vector<float>& values)
{
    QByteArray planes;
    planes.reserve(static_cast<qsizetype>(4 * (wavelengthsNm.size() + values.size())));
    appendPlanes(planes, wavelengthsNm);
    appendPlanes(planes, values);
    QByteArray out(kHeader, '\0');
    std::memcpy(out.data(), kMagic, 4);
    qToLittleEndian(static_cast<std::uint32_t>(wavelengthsNm.size()), out.data() + 4);
    qToLittleEndian(static_cast<std::uint32_t>(values.size()), out.data() + 8);
    // Level 1: most of the gain at a fraction of the time of the default level.
    out += qCompress(planes, 1);
    return out;
}

bool decodeSpectrum(const QByteArray& blob, std::vector<float>& wavelengthsNm, std::vector<float>& values)
{
    wavelengthsNm.clear();
    values.clear();
    if (blob.size() < kHeader || std::memcmp(blob.constData(), kMagic, 4) != 0) return false;
    const auto nw = qFromLittleEndian<std::uint32_t>(blob.constData() + 4);
    const auto nv = qFromLittleEndian<std::uint32_t>(blob.constData() + 8);
    const QByteArray planes = qUncompress(blob.mid(kHeader));
    if (static_cast<std::uint64_t>(planes.size()) != 4ULL * (std::uint64_t(nw) + nv)) return false;
    readPlanes(planes.constData(), nw, wavelengthsNm);
    readPlanes(planes.constData() + 4 * qsizetype(nw), nv, values);
    return true;
}

QString newRecordUid() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }
