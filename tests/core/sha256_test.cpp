// SPDX-License-Identifier: MIT
// The configuration's fingerprint against the published SHA-256 examples
// (FIPS 180-2) and, for a .zel-sized image, what sha256sum prints.

#include <gtest/gtest.h>

#include <string>

#include "config/sha256.h"

namespace {

std::string hash_of(const std::string& text) {
  return sha256_hex({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

TEST(Sha256, PublishedExamplesAndBlockBoundaries) {
  struct Case {
    std::string text;
    const char* hash;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // 56 bytes: the length no longer fits the last block.
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      // 7625 bytes of 0..3 repeating.
      {[] {
         std::string image;
         for (int i = 0; i < 7625; ++i) image += static_cast<char>(i % 4);
         return image;
       }(),
       "7024b3c69a1d372b32d4f39eed9072d885b19360c9beae24bab5df7cd3e9d4fc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hash_of(c.text), c.hash) << c.text.size() << " bytes";
  }
}

}  // namespace
