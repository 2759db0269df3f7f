// NASM and ndisasm as oracles for the kit's machine code: one nasm run assembles many
// statements and reports each one's bytes; one ndisasm run tells whether two encodings are the
// same instruction. Their files go to `dir`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/scratch_folder.h"

namespace tarvix::nasm {

using Bytes = std::vector<std::uint8_t>;

// "B0 80": upper-case pairs with one space between.
std::string hexText(const Bytes& bytes);
Bytes parseByteText(std::string_view text);

// Each statement's bytes, from one nasm run over all of them. Fails with NASM's messages,
// each with the statement it names.
std::optional<std::vector<Bytes>> assembleWithNasm(const std::vector<std::string>& statements,
                                                   const ScratchFolder& dir, std::string& failure);

struct DecodedPair {
    bool same = false;  // the same instruction, each decoding spanning all of its bytes
    std::string first;  // ndisasm's text, "?" when it gave none
    std::string second;
};

// Decodes both encodings of every pair in one ndisasm run.
std::optional<std::vector<DecodedPair>> decodeAlike(
    const std::vector<std::pair<Bytes, Bytes>>& pairs, const ScratchFolder& dir,
    std::string& failure);

}  // namespace tarvix::nasm
