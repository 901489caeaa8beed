// The maze map file: 256 rows of 256 tile codes, row by row, into Map.
#include "shell/form1.h"
#include "world/field_reader.h"

namespace quelmire {

void Form1::LoadMazeMap() {
  FieldReader in = FieldReader::Open(AppPath("\\map\\maz" + ThreeDigits(Obj(0).Kind) + ".map"));
  for (int row = 0; row <= 255; ++row) {
    for (int col = 0; col <= 255; ++col) {
      std::string_view field;
      for (;;) {
        if (in.AtEnd()) {
          in.Fail("the maze ends after " + std::to_string(row * 256 + col) +
                  " tile codes; it needs 65536 (256 rows of 256)");
        }
        field = in.Next();
        // A comma at the end of a line separates nothing.
        if (!field.empty() || in.EndedByComma()) break;
      }
      long code = 0;
      bool outOfRange = false;
      if (!ParseIntegerField(field, code, outOfRange) || outOfRange || code < 0 || code > 159) {
        const std::string where =
            "tile code of column " + std::to_string(col) + ", row " + std::to_string(row);
        in.Number(field, where);  // reports a field that is no number or beyond 16 bits
        in.Fail(where + " is " + std::to_string(code) + ", outside 0..159");
      }
      Map(col, row) = I16(code);
    }
  }
  BuildRoom();
}

}  // namespace quelmire
