// Stand-ins until the script interpreter and the message window are in.
#include "shell/form1.h"

namespace quelmire {

void Form1::RunEventScript(const String&) {}
void Form1::ShowMessage(const String&) {}

}  // namespace quelmire
