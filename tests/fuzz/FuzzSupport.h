#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>

// Shared by the fuzz targets. A target defines LLVMFuzzerTestOneInput; libFuzzer drives it in
// the fuzzing build, CorpusReplayMain in the normal one.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace velmora::fuzz {

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline QString utf8(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A broken invariant: says which and stops, so the fuzzer keeps the input and the replay fails.
[[noreturn]] inline void violated(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, qUtf8Printable(detail));
    std::abort();
}

inline void require(bool condition, const char* what, const QString& detail = {}) {
    if (!condition)
        violated(what, detail);
}

// Reads structured choices from the fuzzer's bytes; past the end every read is 0.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool atEnd() const { return position_ >= size_; }
    uint8_t byte() { return atEnd() ? 0 : data_[position_++]; }
    // A number in [0, bound).
    unsigned below(unsigned bound) { return bound == 0 ? 0 : byte() % bound; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

} // namespace velmora::fuzz
