// The fields of the statement being assembled, filled by the scanner and the classifier.
#pragma once

#include <string>

#include "assembler/bit_pattern.h"

namespace tarvix {

struct Statement {
    std::string label;     // defined on this line, or empty
    std::string mnemonic;  // lower case, or empty
    std::string operand1;  // as written (lower case), or empty
    std::string operand2;
    BitPattern pattern;      // bit pattern of the chosen template
    int operandSize = -1;    // w: -1 unknown, 0 byte, 1 word
    bool sizeGiven = false;  // BPTR or WPTR written on the line

    // Not reset per line: set only when the first operand carries a size keyword, and
    // rewritten by every classification.
    bool firstOperandIsWord = false;
    std::string class1;
    std::string class2;
    std::string key;   // mnemonic, "_" and the classes: the template table's key
    std::string text;  // the line as the scanner cuts it: lower case, tabs as spaces

    // Clears the per-line fields before the next source line.
    void reset() {
        label.clear();
        mnemonic.clear();
        operand1.clear();
        operand2.clear();
        pattern.clear();
        operandSize = -1;
        sizeGiven = false;
    }
};

}  // namespace tarvix
