#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace varkel {

// Names and kind letters ("N" numeric and other, "S" character, "T" date and time) of the
// columns of a result.
struct ResultColumns {
    static constexpr int Capacity = 1000;
    std::int16_t Count = 0;
    std::array<QString, Capacity> Names;
    std::array<QString, Capacity> Kinds;
};

}  // namespace varkel
