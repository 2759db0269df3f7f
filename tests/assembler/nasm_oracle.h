// NASM and ndisasm as oracles for the kit's machine code, bytes written as the kit writes
// them: "B0 80", upper-case pairs with one space between.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarvix::nasm {

// Each statement's bytes, from one nasm run over all of them. Fails with NASM's messages, each
// with the statement it names.
std::optional<std::vector<std::string>> assemble(const std::vector<std::string>& statements,
                                                 std::string& failure);

// ndisasm's text for each piece, from one run, written alike for two encodings of the same
// instruction; "?" where the decoding does not span exactly the piece's bytes.
std::optional<std::vector<std::string>> disassemble(const std::vector<std::string>& pieces,
                                                    std::string& failure);

}  // namespace tarvix::nasm
