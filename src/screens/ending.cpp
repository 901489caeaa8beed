// The ending: two pictures between white flashes, the heroine's last words, eight credits
// scenes over the mazes, and the tally. It runs inside the play tick that found the ending
// flag and hands over to the title when the player presses a key.
#include "screens/tally.h"
#include "shell/form1.h"

namespace quelmire {

namespace {

struct StoryLine {
  int y;
  const char32_t* text;
};

const StoryLine kStory[] = {
    {90, U"　　　　 こうしてわたしは、地上に出ることができた。"},
    {130, U"村にはもう戻れないのだけれど、そのことはべつにどうでもいい。　"},
    {170, U"　　　　　わたしは自分の足で跳ぶことを学んだから。"},
    {210, U"　わたしを穴に投げ込んだ村の人達は、きっとこれからもずっと　"},
    {250, U"　　　　　 なにかに怯えながら生きていくのだろう。"},
    {290, U"　　　　　 　　　　わたしはもう大丈夫。"},
    {330, U"　　　　　 さようなら、わたしを産んでくれた場所。"},
};

struct CreditScene {
  Integer maze, x, y;
  const char32_t* heading;
  const char32_t* names;
};

const CreditScene kCredits[] = {
    {0, 70, 58, U"program", U"   Quelmire team"},
    {1, 65, 35, U"map design", U"   Quelmire team"},
    {2, 212, 55, U"musics", U"   Quelmire team"},
    {3, 38, 106, U"bitmaps", U"   Quelmire team"},
    {4, 35, 182, U"test playing", U"   Quelmire team"},
    {5, 186, 117, U"tributed for", U"   everyone still climbing"},
    {5, 38, 36, U"thank you for", U"   your playing."},
    {6, 17, 17, U"-Quelmire-", U"          The End."},
};

// The last scene waits for the song; a song that cannot say it has stopped (no synthesizer,
// no file) must not hold the ending forever, and neither may one that never ends.
constexpr int64_t kSongWaitCapUs = 300 * 1000000LL;

}  // namespace

void Form1::PlayEnding() {
  DrawPlayScreen();
  Flip();

  for (int i = 0; i <= 1; ++i) {
    FadeToWhite();
    BltRect = {0, 0, 640, 480};
    BltFast(*PrimarySurface, 0, 0, *EndingSurface(i), false);
    FadeFromWhite();
    Sleep(4500);
  }
  FadeToWhite();

  // The dawn backdrop, on screen and in the map buffer.
  BltRect = {96, 512, 128, 544};
  for (int row = 0; row <= 14; ++row) {
    for (int col = 0; col <= 19; ++col) {
      BltFast(*PrimarySurface, 32 * col, 32 * row, *TileSurface, false);
      BltFast(*MapSurface, 32 * col + 16, 32 * row + 16, *TileSurface, false);
    }
  }
  Obj(0).OffX = 0;
  Obj(0).OffY = 0;
  LookPx = 0;
  RoomNo = -1;
  FadeFromWhite();

  SetForeColor(*PrimarySurface, 0);
  for (const StoryLine& line : kStory) {
    DrawText(*PrimarySurface, 60, line.y, Tr(line.text));
    Sleep(2000);
  }
  FadePalette(16, 0, -1);

  // The night backdrop for the credits, kept in the back buffer to restore it for the tally.
  BltRect = {64, 512, 96, 544};
  for (int row = 0; row <= 14; ++row) {
    for (int col = 0; col <= 19; ++col) {
      BltFast(*PrimarySurface, 32 * col, 32 * row, *TileSurface, false);
      BltFast(*BackBuffer, 32 * col, 32 * row, *TileSurface, false);
    }
  }
  for (const CreditScene& c : kCredits) ShowCreditScene(c.maze, c.x, c.y, c.heading, c.names);

  BltRect = {0, 0, 640, 480};
  BltFast(*PrimarySurface, 0, 0, *BackBuffer, false);
  FadePalette(15, 16, 1);

  const Tally t = CountTally(*this);
  SetForeColor(*PrimarySurface, 0xFFFFFF);
  DrawText(*PrimarySurface, 200, 120,
           Tr(U"クリスタル：") + NumberText(static_cast<double>(t.crystals)));
  DrawText(*PrimarySurface, 200, 140,
           Tr(U"　　オーブ：") + NumberText(static_cast<double>(t.orbs)));
  DrawText(*PrimarySurface, 200, 160,
           Tr(U"　　　　鍵：") + NumberText(static_cast<double>(t.keys)));
  DrawText(*PrimarySurface, 200, 180,
           Tr(U"最大ライフ：") + NumberText(static_cast<double>(t.lifeMax)));
  DrawText(*PrimarySurface, 200, 220, Tr(U"　　達成度：") + NumberText(t.percent) + U"%");

  MusicOn = False;
  WaitForKey();
  Timer1.Enabled = false;
  Timer2.Enabled = true;
}

void Form1::ShowCreditScene(Integer maze, Integer x, Integer y, const String& heading,
                            const String& names) {
  Obj(0).Kind = maze;
  Obj(0).X = x;
  Obj(0).Y = y;
  LoadMazeMap();
  BltRect = {176, 16, 496, 496};
  BltFast(*PrimarySurface, 320, 0, *MapSurface, false);
  FadePalette(0, 16, 1);

  auto drawTexts = [&](long grey) {
    SetForeColor(*PrimarySurface, grey * 0x111111L);
    DrawText(*PrimarySurface, 64, 140, heading);
    DrawText(*PrimarySurface, 64, 170, names);
    Sleep(90);
  };
  for (long c = 0; c <= 15; ++c) drawTexts(c);
  Sleep(4000);

  if (Right(names, 4) == U"End.") {
    // Wait for the song to end. Only "playing" is worth waiting for: any other reply (none
    // at all when there is no synthesizer or the song failed to open) ends the wait.
    const int64_t start = Platform().NowUs();
    for (;;) {
      DoEvents();
      const String mode = LCase(Left(FromUtf8(Platform().Music().Mode()) + String(16, U' '), 7));
      if (mode != U"playing") break;
      if (Platform().NowUs() - start >= kSongWaitCapUs) break;
    }
  }

  for (long c = 15; c >= 0; --c) drawTexts(c);
  FadePalette(16, 0, -1);
}

}  // namespace quelmire
