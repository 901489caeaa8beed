// Background songs: one open song at a time, repeated by polling from song position 16.
#include "shell/form1.h"

namespace quelmire {

std::string Form1::SongPath(long long n) const {
  return AppPath("\\midi\\vorn" + ToUtf8(Right(Str(n + 1000), 2)) + ".mid");
}

void Form1::BGM_OPEN(const std::string& path) {
  auto& music = platform_.Music();
  ApiResult = music.Close();
  ApiResult = music.Open(path);
  ApiResult = music.SetTimeFormatSongPointer();
}

void Form1::BGM_CLOSE() { ApiResult = platform_.Music().Close(); }

void Form1::BGM_Play() {
  MusicOn = True;
  ApiResult = platform_.Music().Play();
}

void Form1::BGM_Stop() {
  MusicOn = False;
  ApiResult = platform_.Music().Stop();
}

void Form1::BGM_Repeat() {
  auto& music = platform_.Music();
  // The reply is padded with blanks; only its first seven characters count.
  String reply = FromUtf8(music.Mode()) + String(16, U' ');
  if (LCase(Left(reply, 7)) == U"stopped" && MusicOn != False) {
    ApiResult = music.SeekStart();
    ApiResult = music.PlayFrom(16);
  }
}

}  // namespace quelmire
