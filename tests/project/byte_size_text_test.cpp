#include "project/buffer_status.h"
#include "project/byte_size_text.h"

#include <gtest/gtest.h>

using namespace zelmo;

TEST(ByteSizeText, ThreeTruncatedSignificantDigits) {
    const std::pair<std::uint64_t, const char*> table[] = {
        {0, "0 bytes"},
        {1023, "1023 bytes"},
        {1024, "1.00 KB"},
        {1535, "1.49 KB"}, // truncated, not rounded
        {2047, "1.99 KB"},
        {10240, "10.0 KB"},
        {65536, "64.0 KB"},
        {102400, "100 KB"},
        {1023999, "999 KB"},
        {1024000, "0.97 MB"}, // from 1000 KB on the next unit takes over
        {16777216, "16.0 MB"},
        {138412032, "132 MB"},
        {4294967295ull, "3.99 GB"},
        {1ull << 40, "1.00 TB"},
        {1ull << 60, "1.00 EB"},
        {~0ull, "15.9 EB"},
    };
    for (const auto& [bytes, text] : table) {
        EXPECT_EQ(ByteSizeText(bytes), QString::fromLatin1(text)) << bytes;
    }
}

TEST(ByteSizeText, MemorySizeTextSmallSizesInBytes) {
    EXPECT_EQ(MemorySizeText(1023).Text, QStringLiteral("1023 B"));
    EXPECT_EQ(MemorySizeText(0).Text, QStringLiteral("0 B"));
    const StatusField big = MemorySizeText(138412032);
    EXPECT_EQ(big.Text, QStringLiteral("132 MB"));
    EXPECT_EQ(big.Hint, QStringLiteral("138412032 bytes"));
    EXPECT_TRUE(big.Visible);
}
