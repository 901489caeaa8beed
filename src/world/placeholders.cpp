// Stand-ins until the maze and room loaders and the play view are in.
#include "shell/form1.h"

namespace quelmire {

void Form1::LoadMazeMap() {}
void Form1::LoadRoomData() {}
void Form1::BuildRoom() {}
void Form1::DrawPlayScreen() {}

}  // namespace quelmire
