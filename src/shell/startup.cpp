// Start-up: the display, the palette, the surfaces, the joystick, the sound effects and the
// two fixed tables, in the order the game has always used.
#include "platform/files.h"
#include "shell/form1.h"

namespace quelmire {

namespace {

const char* const kSoundFiles[10] = {
    "\\wave\\blockhit.wav",   "\\wave\\door.wav", "\\wave\\damage02.wav",
    "\\wave\\blockbreak.wav", "\\wave\\bomb.wav", "\\wave\\itemget.wav",
    "\\wave\\explosion.wav",  "\\wave\\down.wav", "\\wave\\fire.wav",
    "\\wave\\switch.wav",
};

}  // namespace

void Form1::Form_Load() {
  // The display: 640 x 480 x 8 with a visible surface and one back buffer.
  platform_.SetDisplayMode();
  displayOpen_ = true;
  PrimarySurface = &platform_.Primary();
  BackBuffer = &platform_.Back();

  // The palette comes from chr0.bmp. Entries 0..254 are read back from the display; entry
  // 255 is never read, so element 255 of both copies stays zero.
  {
    auto paletteSource = platform::LoadBmp8(AppPath("\\bitmap\\chr0.bmp"), "chr0.bmp");
    platform_.SetPalette(paletteSource->filePalette);
  }
  platform::PaletteEntry read[255];
  platform_.GetEntries(0, 255, read);
  for (int i = 0; i < 255; ++i) WorkPalette(i) = read[i];
  for (int i = 0; i <= 255; ++i) BasePalette(i) = WorkPalette(i);

  // Off-screen surfaces, each the size of its bitmap.
  // Each sheet must hold the largest rectangle the game copies from it, or a paint program's
  // smaller picture would stop the game at its first frame instead of here, naming the file.
  auto load = [&](const char* file, int minW, int minH) {
    const std::string path = AppPath(std::string("\\bitmap\\") + file);
    auto surface = platform::LoadBmp8(path, file);
    if (surface->Width() < minW || surface->Height() < minH) {
      throw platform::FatalError(path + ": " + std::to_string(surface->Width()) + "x" +
                                 std::to_string(surface->Height()) +
                                 " is too small; the game needs " + std::to_string(minW) + "x" +
                                 std::to_string(minH) + " or more");
    }
    return surface;
  };
  MapSurface = load("chr0.bmp", 672, 512);
  CharSurface(0) = load("chr0.bmp", 672, 512);
  TileSurface = load("bgv.bmp", 256, 640);
  CharSurface(1) = load("chr1.bmp", 320, 488);
  TitleSurface = load("title.bmp", 640, 480);
  EndingSurface(0) = load("ending1.bmp", 640, 480);
  EndingSurface(1) = load("ending2.bmp", 640, 480);

  ColorKey.low = 2;
  ColorKey.high = 2;
  CharSurface(0)->SetColorKey(ColorKey.low, ColorKey.high);
  CharSurface(1)->SetColorKey(ColorKey.low, ColorKey.high);

  InitJoystick();

  platform_.OpenSoundDevice();
  soundOpen_ = true;
  ApplySettings();
  for (int slot = 0; slot <= 9; ++slot) {
    platform_.LoadSound(slot, AppPath(kSoundFiles[slot]));
    Sound(slot) = true;
  }

  for (int r = 0; r <= 19; ++r) {
    for (int j = 0; j <= 7; ++j) {
      TileAttr(r * 8 + j) = U8(kTileAttrRows[r][j] - '0');
    }
  }

  for (int n = 1; n <= 34; ++n) ItemName(n) = FromUtf8(kItemNames[n]);

  ChooseSaveFolder();

  platform_.ShowCursor(false);
  Timer2.Enabled = true;
}

void Form1::ChooseSaveFolder() {
  // A game installed where the player cannot write (under /usr or /opt) keeps the saves in
  // the player's own data folder; a portable copy keeps them beside its data.
  SaveFolder = platform::SaveFolderFor(appPath_);
}

void Form1::QuitGame() {
  platform_.ShowCursor(true);
  BGM_Stop();
  BGM_CLOSE();
  if (soundOpen_) platform_.CloseSoundDevice();
  soundOpen_ = false;
  if (displayOpen_) platform_.CloseDisplay();
  displayOpen_ = false;
  Timer1.Enabled = false;
  Timer2.Enabled = false;
  throw platform::ExitRequest{0};
}

}  // namespace quelmire
