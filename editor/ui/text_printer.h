// Prints the buffer's lines as the view shows them: the same font and colours, as many lines
// as fit between the margins, and the page number at the foot of each page.
#pragma once

#include <QFont>

class QPrinter;

namespace tarvix {

class CX86TextBuffer;

void printText(QPrinter& printer, const CX86TextBuffer& buffer, const QFont& font);

}  // namespace tarvix
