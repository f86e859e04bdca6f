#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdio>
#include <cstdlib>

// A property that does not hold ends the run as a crash would, so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// The fuzzer's bytes as text of every kind: UTF-8 where they are, the rest kept as Latin-1.
inline QString FuzzText(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}
inline QString FuzzText(QByteArrayView bytes) {
    return QString::fromUtf8(bytes);
}
