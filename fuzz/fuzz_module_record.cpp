// The module's information record over any 151 bytes (what the device library fills), and the
// list texts the module link reads numbers from.

#include "fuzz_check.h"
#include "module/module_record.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::array<std::uint8_t, module_record::kInfoBufferBytes> record{};
    std::copy_n(data, std::min(size, record.size()), record.begin());

    const module_record::ModuleRecord r = module_record::decodeRecord(record);
    for (const QString* text : {&r.partNumber, &r.serialNumber, &r.manufacturingDate, &r.firmwareVersion,
                                &r.hardwareVersion})
        FUZZ_CHECK(!text->contains(QChar(0)));
    FUZZ_CHECK(r.partNumber.size() <= 20 && r.hardwareVersion.size() <= 12);

    // The temperature is tenths of a degree, high byte first, and its text reads back.
    FUZZ_CHECK(std::lround(r.temperatureC * 10.0F) == record[70] * 256 + record[71]);
    const QString degrees = module_record::temperatureText(r.temperatureC);
    FUZZ_CHECK(!degrees.contains(QLatin1Char('e')));
    FUZZ_CHECK(degrees.toFloat() == r.temperatureC);

    const QString version = module_record::libraryVersion(std::span(record).first(module_record::kVersionBufferBytes));
    FUZZ_CHECK(version.size() == 8);
    const QString listing = module_record::listing(version, r);
    FUZZ_CHECK(listing.startsWith(QStringLiteral("0. Lib: ") + version));
    FUZZ_CHECK(listing.endsWith(QStringLiteral("6. T =  ") + degrees + QStringLiteral(" \u00B0C")));

    // Anything after the record reads as list texts and part numbers.
    if (size > record.size()) {
        const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data + record.size()),
                                                 static_cast<qsizetype>(size - record.size()));
        module_record::portIndex(text);
        module_record::channelIndex(text);
        const auto band = module_record::bandPreset(text);
        if (band) FUZZ_CHECK(band->startNm.toInt() < band->stopNm.toInt());
    }
    return 0;
}
