// A template's bit pattern while a statement is encoded: binary digits and named fields, which
// the encoder fills with binary digits in place and without heap strings.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarvix {

// The named fields of the pattern notation, as bits of a set.
enum class Field : unsigned {
    W = 1u << 0,         // "w", the size bit
    Y = 1u << 1,         // "y", the sign-extension bit
    Reg = 1u << 2,       // "reg"
    Mod = 1u << 3,       // "mod"
    RegOrMem = 1u << 4,  // "r/m", followed by its displacement bytes
    Data = 1u << 5,      // "data"
    Addr = 1u << 6,      // "addr"
    Port = 1u << 7,      // "port"
    Type = 1u << 8,      // "tipe", the interrupt type
    Shift = 1u << 9,     // ">><<", which marks a shift or rotate
};

inline constexpr std::array<Field, 10> kFields = {
    Field::W,    Field::Y,    Field::Reg,  Field::Mod,  Field::RegOrMem,
    Field::Data, Field::Addr, Field::Port, Field::Type, Field::Shift};

constexpr std::string_view fieldName(Field field) {
    switch (field) {
        case Field::W:
            return "w";
        case Field::Y:
            return "y";
        case Field::Reg:
            return "reg";
        case Field::Mod:
            return "mod";
        case Field::RegOrMem:
            return "r/m";
        case Field::Data:
            return "data";
        case Field::Addr:
            return "addr";
        case Field::Port:
            return "port";
        case Field::Type:
            return "tipe";
        case Field::Shift:
            return ">><<";
    }
    return {};
}

// The fields whose names occur in the text. No name occurs within another, nor can filling
// one field with digits make another appear; each occurs at most once in a template's pattern.
constexpr unsigned fieldsIn(std::string_view text) {
    unsigned fields = 0;
    for (const Field field : kFields) {
        if (text.find(fieldName(field)) != std::string_view::npos) {
            fields |= static_cast<unsigned>(field);
        }
    }
    return fields;
}

class BitPattern {
public:
    // A template row's pattern and the fields it holds.
    void assign(std::string_view text, unsigned fields);
    void clear() { assign({}, 0); }

    bool has(Field field) const { return (fields_ & static_cast<unsigned>(field)) != 0; }

    // Writes `bits` over the field's name. In place: a pattern is a few dozen characters, and
    // the statement keeps its capacity from one line to the next.
    void fill(Field field, std::string_view bits);

    // The text once every field the statement fills is filled: the spaces go, letters are
    // upper case, and the size bit "W" is written.
    void finish(bool word);

    // The list file's byte text: "%02X " for each full group of eight characters, a "1" read
    // as a one bit and anything else as zero; of the text as it is, or as finish() would
    // leave it, without changing it.
    void appendBytes(std::string& out) const;
    void appendFinishedBytes(std::string& out, bool word) const;

    // A REP prefix's finished pattern before that of its string instruction.
    void prepend(std::string_view prefix);

    const std::string& text() const { return text_; }

private:
    std::string text_;
    unsigned fields_ = 0;
};

// Binary digits for a field: at most an r/m field's three bits and a displacement word.
class BitText {
public:
    // Appends the low `digits` bits of the value, most significant first.
    BitText& bits(unsigned value, std::size_t digits);
    // Appends 16 bits, low byte first, as the 8086 stores words.
    BitText& word(unsigned value) { return bits(value & 0xFFu, 8).bits(value >> 8u, 8); }

    std::string_view view() const { return {digits_.data(), size_}; }

private:
    std::array<char, 24> digits_{};
    std::size_t size_ = 0;
};

}  // namespace tarvix
