// SHA-256 against the FIPS 180-2 examples and against coreutils' sha256sum.
#include "files/sha256.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace dezadiravevava {
namespace {

TEST(Sha256, PublishedVectors) {
    struct Case {
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // The 448-bit message: its padding needs a second block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.substr(0, 20));
        EXPECT_EQ(Sha256Hex(c.message), c.digest);
    }
}

// Lengths around the block and padding boundaries, and bytes of every value,
// against sha256sum of the same file.
TEST(Sha256, AgreesWithSha256sum) {
    quillon_test::TempDir dir;
    for (const std::size_t length : {1u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u, 70000u}) {
        SCOPED_TRACE(length);
        std::string bytes(length, '\0');
        for (std::size_t i = 0; i < length; ++i) {
            bytes[i] = static_cast<char>((i * 131 + 7) % 256);
        }
        const std::string file = dir.File("data");
        quillon_test::WriteWhole(file, bytes);
        const auto sum = quillon_test::RunCommand("sha256sum '" + file + "'");
        ASSERT_EQ(sum.status, 0) << sum.err;
        EXPECT_EQ(Sha256Hex(bytes), sum.out.substr(0, 64));
    }
}

} // namespace
} // namespace dezadiravevava
