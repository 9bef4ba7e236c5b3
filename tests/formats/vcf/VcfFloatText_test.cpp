#include "formats/vcf/VcfValueText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {
std::string written(float value) {
    char text[VcfValueText::RealDigits];
    return std::string(text, VcfValueText::writeFloat(text, value));
}
std::string printed(float value) {
    char text[64];
    return std::string(text, size_t(std::snprintf(text, sizeof text, "%g", double(value))));
}
} // namespace

// Floats are written without printf; every digit must still be printf's ("%g", ties to even).
TEST(VcfFloatText, FloatsReadAsPrintfWritesThem) {
    std::mt19937 random(3);
    std::uniform_int_distribution<uint32_t> anyBits;
    std::uniform_real_distribution<float> ratio(0.0f, 1.0f);
    int checked = 0;
    for (int i = 0; i < 300000; ++i) {
        uint32_t bits = anyBits(random);
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        for (float candidate :
             {value, ratio(random), float(int(random() % 2000)) / float(1 + random() % 97)}) {
            if (std::isnan(candidate) || candidate == PVariant::MissingFloat)
                continue;
            ASSERT_EQ(written(candidate), printed(candidate)) << std::hexfloat << candidate;
            ++checked;
        }
    }
    for (float edge : {0.0f, -0.0f, 1e-4f, 9.99999e-5f, 0.999999f, 0.9999995f, 999999.5f, 1e6f, 0.3203125f,
                       0.5f, 1.0f / 3.0f, 5.0f / 15.0f, -2.5f, 123456.5f, 1e-45f, 3.4e38f, INFINITY})
        EXPECT_EQ(written(edge), printed(edge)) << edge;
    EXPECT_EQ(written(PVariant::MissingFloat), ".");
    EXPECT_GT(checked, 800000);
}
