// SPDX-License-Identifier: MIT
#pragma once
// SHA-256 of a byte string, as lowercase hex: the fingerprint of a
// configuration in zel17-cli's result log. Written here because the core
// links only the standard library, also in its static Windows build.

#include <cstdint>
#include <span>
#include <string>

std::string sha256_hex(std::span<const std::uint8_t> bytes);
