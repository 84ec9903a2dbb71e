// Text-to-bytecode assembler for game scripts: one instruction per line, labels, entry-point
// records, raw data directives, and branch relaxation so every jump takes the shortest form that
// reaches its label.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// One problem found in the source text, with its 1-based line number.
struct AsmDiagnostic {
    int line = 0;
    std::string message;
};

// Source form (".zsa"):
//   label:                    defines a label at the next byte (may share a line with an instruction)
//   ; comment                 to the end of the line (outside string literals)
//   .entry "name" G3          an entry-point record; the records are written first, the code follows
//   .rawheader                write no entry table at all: the text supplies every byte of the image
//   .byte 1, 0x2e  .short -2  .int 7   raw little-endian data
//   push 5 / load L0 / store G3 / clear L1   narrowest form for the operand's value
//   jump / jumpif / jumpifnot / jumpifkeep / jumpifnotkeep / func  <label or raw offset>
//                             shortest form that reaches the label (a raw number is the stored offset)
//   jump8, push16, load8, ... the fixed-width forms, named after their operand width
//   native 43 -1, call 2, bytes "text", print 1, unpack 2, mkarray 3, inc L0, and the
//   operand-less operations (stop, pop, ret, add, lt, getitem, ...; see bytecode_ops.cpp)
// Variables: L<n> is local n (operand -n-1), G<n> is global n; a plain number is the raw operand.
// Strings take the escapes \\ \" \n \r \t \0 and \xHH.
class Assembler {
public:
    // The image, or nullopt when the text has errors (see errors()).
    std::optional<std::vector<uint8_t>> assemble(std::string_view source);

    // The problems of the last assemble(), in line order.
    const std::vector<AsmDiagnostic>& errors() const { return errors_; }
    // Every problem as "line N: message", one per line.
    std::string errorText() const;

private:
    std::vector<AsmDiagnostic> errors_;
};

} // namespace zelvan
