#include "formats/vcf/VcfValueText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {
std::string written(float value) {
    char text[VcfValueText::RealDigits];
    return std::string(text, VcfValueText::writeFloat(text, value));
}
} // namespace

// Floats are written in the shortest text that reads back as the same float: values read from a
// file keep the text they had, and no digit a reader needs is lost.
TEST(VcfFloatText, FloatsReadBackAsTheSameFloatInTheirShortestText) {
    std::mt19937 random(3);
    std::uniform_int_distribution<uint32_t> anyBits;
    for (int i = 0; i < 300000; ++i) {
        const uint32_t bits = anyBits(random);
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isnan(value) || std::isinf(value) || value == PVariant::MissingFloat)
            continue;
        const std::string text = written(value);
        ASSERT_EQ(std::strtof(text.c_str(), nullptr), value) << text;
    }
    for (const char* text : {"60811.37", "269842.5", "0.5", "27.94", "0.001", "1e-05", "-2.5", "3", "0", "100"})
        EXPECT_EQ(written(std::strtof(text, nullptr)), text);
    EXPECT_EQ(written(1.0f / 3.0f), "0.33333334");
    EXPECT_EQ(written(PVariant::MissingFloat), ".");
    EXPECT_EQ(written(std::nanf("")), ".");
}

// Ints are written as printf's "%d" would, whether through the table of small ones or not.
TEST(VcfFloatText, IntsAreWrittenInDecimal) {
    for (int32_t value : {0, 7, 9, 10, 42, 99, 100, 512, 999, 1000, 1001, 65536, -1, -999, -1000,
                          std::numeric_limits<int32_t>::max(), PVariant::MissingInt + 1}) {
        char text[VcfValueText::IntDigits];
        EXPECT_EQ(std::string(text, VcfValueText::writeInt(text, value)), std::to_string(value));
    }
    char text[VcfValueText::IntDigits];
    EXPECT_EQ(std::string(text, VcfValueText::writeInt(text, PVariant::MissingInt)), ".");
}
