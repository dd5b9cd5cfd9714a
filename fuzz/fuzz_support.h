#pragma once
// What the fuzz targets share: a reader over the fuzzer's bytes, the answer of a scripted device
// taken from them (for the FakeSerialPort of fakes/, on a FakeClock, so time-outs take no real
// time), and a headless application for the code that needs widgets.

#include "fake_serial_port.h"
#include "fuzz_check.h"

#include <QApplication>
#include <QByteArray>

#include <cstdint>
#include <vector>

namespace fuzz {

// Takes the input front to back; past the end every read gives zeros or nothing.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    QByteArray bytes(std::size_t count)
    {
        const std::size_t n = count < size_ - pos_ ? count : size_ - pos_;
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(n));
        pos_ += n;
        return out;
    }
    QByteArray rest() { return bytes(size_ - pos_); }
    bool empty() const { return pos_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Blocks taken from the input: a delay byte (tens of milliseconds after the previous block) and
// a length byte before each block; the last block takes what is left.
inline std::vector<FakeChunk> scriptFrom(Input& in)
{
    std::vector<FakeChunk> blocks;
    std::uint32_t at = 0;
    while (!in.empty()) {
        at += 10u * in.byte();
        const std::uint8_t length = in.byte();
        blocks.push_back({at, length == 0xFF ? in.rest() : in.bytes(length)});
    }
    return blocks;
}

// The headless application that widgets need, made once per process.
inline void ensureApplication()
{
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "vxm-fuzz";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
}

}  // namespace fuzz
