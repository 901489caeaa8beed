// The options screen, over the dimmed title or status screen: the volumes, full screen or
// window and its scale, the language, and the keys of every action. Up and Down choose, Left
// and Right change a value, a confirm key on an action waits for its new key; Escape (or the
// options key) closes. Every change applies at once; the settings file is written on closing.
#include <iostream>

#include "platform/key_names.h"
#include "shell/form1.h"

namespace quelmire {

namespace vk = platform::vk;

namespace {

constexpr int kLeft = 64, kValueX = 300, kTop = 72, kStep = 20;
constexpr long kWhite = 0xFFFFFF, kYellow = 0x80FFFF, kLightRed = 0xB0B0FF;

enum Row { kMusic, kEffects, kScreen, kScale, kLanguage, kFirstKey };
constexpr int kDefaultsRow = kFirstKey + kActionCount, kCloseRow = kDefaultsRow + 1;
constexpr int kRows = kCloseRow + 1;

const char32_t* const kActionLabels[kActionCount] = {
    U"左へ歩く", U"右へ歩く",       U"ジャンプ",           U"調べる・使う", U"下を見る",
    U"飛ぶ",     U"ステータス画面", U"タイトル画面に戻る", U"ゲーム終了",   U"オプション",
};

String Label(int row) {
  switch (row) {
    case kMusic:
      return U"音楽の音量";
    case kEffects:
      return U"効果音の音量";
    case kScreen:
      return U"画面";
    case kScale:
      return U"ウィンドウの大きさ";
    case kLanguage:
      return U"言語";
    case kDefaultsRow:
      return U"キーを元に戻す";
    case kCloseRow:
      return U"閉じる";
    default:
      return kActionLabels[row - kFirstKey];
  }
}

String KeysText(const std::vector<uint8_t>& keys) {
  String out;
  for (uint8_t k : keys) {
    if (!out.empty()) out += U' ';
    out += FromUtf8(platform::KeyName(k));
  }
  return out;
}

String Value(const Settings& s, int row) {
  switch (row) {
    case kMusic:
      return Mid(Str(s.musicVolume), 2) + U" / 10";
    case kEffects:
      return Mid(Str(s.effectsVolume), 2) + U" / 10";
    case kScreen:
      return s.fullscreen ? U"フルスクリーン" : U"ウィンドウ";
    case kScale:
      return s.windowScale == 0 ? U"自動" : Mid(Str(s.windowScale), 2);
    case kLanguage:
      return s.language == "en" ? U"English" : U"日本語";
    case kDefaultsRow:
    case kCloseRow:
      return U"";
    default:
      return KeysText(s.keys[static_cast<size_t>(row - kFirstKey)]);
  }
}

// Steps a value left (-1) or right (+1); false when the row has no value to step.
bool StepValue(Settings& s, int row, int d) {
  auto clampStep = [d](int& v, int lo, int hi) { v = std::min(hi, std::max(lo, v + d)); };
  switch (row) {
    case kMusic:
      clampStep(s.musicVolume, 0, 10);
      return true;
    case kEffects:
      clampStep(s.effectsVolume, 0, 10);
      return true;
    case kScreen:
      s.fullscreen = !s.fullscreen;
      return true;
    case kScale:
      clampStep(s.windowScale, 0, 4);
      return true;
    case kLanguage:
      s.language = s.language == "en" ? "ja" : "en";
      return true;
    default:
      return false;
  }
}

}  // namespace

void Form1::ApplySettings() {
  platform_.SetVolumes(GameSettings.musicVolume, GameSettings.effectsVolume);
  platform_.SetWindowMode(GameSettings.fullscreen, GameSettings.windowScale);
}

void Form1::ShowOptions() {
  Surface& screen = *PrimarySurface;
  const platform::Rect savedRect = BltRect;
  // The screen below is put back as it was on the way out.
  Surface under(platform::kScreenWidth, platform::kScreenHeight, "options background");
  BltRect = {0, 0, 640, 480};
  platform::BltFast(under, 0, 0, screen, BltRect, false);
  // The display row shows the display as it is, Alt+Enter's switch included; that switch is
  // written to the file only when it is changed here.
  GameSettings.fullscreen = platform_.Fullscreen();
  const Settings atOpen = GameSettings;

  auto anyKeyDown = [&] {
    for (int k = 1; k <= 255; ++k) {
      if (KeyDown(k)) return true;
    }
    return false;
  };
  auto pass = [&] {
    DoEvents();
    BGM_Repeat();
    GetKeyboardState();
  };
  auto waitForRelease = [&] {
    do pass();
    while (anyKeyDown());
  };

  // The darkest colour of the palette.
  uint8_t dark = 0;
  for (int i = 1; i <= 254; ++i) {
    auto sum = [&](int n) { return BasePalette(n).r + BasePalette(n).g + BasePalette(n).b; };
    if (sum(i) < sum(dark)) dark = static_cast<uint8_t>(i);
  }
  int row = 0;
  bool capturing = false;
  auto draw = [&] {
    BltRect = {0, 0, 640, 480};
    BltFast(screen, 0, 0, under, false);
    // Three pixels in four of the picture below go dark.
    for (int y = 0; y < platform::kScreenHeight; ++y) {
      for (int x = (y & 1); x < platform::kScreenWidth; x += 1 + (y & 1)) screen.At(x, y) = dark;
    }
    SetForeColor(screen, kWhite);
    DrawText(screen, kLeft - 16, 36, Tr(U"オプション"));
    for (int r = 0; r < kRows; ++r) {
      const int y = kTop + kStep * r + (r >= kFirstKey ? 8 : 0) + (r >= kDefaultsRow ? 8 : 0);
      SetForeColor(screen, r == row ? kYellow : kWhite);
      DrawText(screen, kLeft, y, (r == row ? U"＞" : U"　") + Tr(Label(r)));
      String value =
          (capturing && r == row) ? Tr(U"新しいキーを押してください") : Tr(Value(GameSettings, r));
      if (r == kScale && GameSettings.windowScale != 0) {
        value += U' ';  // piece by piece: GCC 12 warns falsely (-Wrestrict) on operator+
        value += Tr(U"倍");
      }
      const bool stepped = r < kFirstKey;
      DrawText(screen, kValueX, y, stepped ? U"＜ " + value + U" ＞" : value);
    }
    SetForeColor(screen, kWhite);
    DrawText(screen, kLeft - 16, 452, Tr(U"↑↓:選ぶ  ←→:変える  Enter:キーを決める  Esc:閉じる"));
    if (!SettingsError.empty()) {
      SetForeColor(screen, kLightRed);
      DrawText(screen, kLeft - 16, 432, Tr(U"設定を保存できませんでした。[Enter]"));
    }
    screen.Touch();
  };

  waitForRelease();
  draw();
  Integer dir = 0, button1 = 1, padConfirm = False;
  bool held = true;
  for (;;) {
    pass();
    ReadJoystickDirection(dir);
    JoystickButtonDown(button1, padConfirm);
    const bool up = KeyDown(vk::Up) || (dir & 1) != 0;
    const bool down = KeyDown(vk::Down) || (dir & 2) != 0;
    const bool left = KeyDown(vk::Left) || (dir & 4) != 0;
    const bool right = KeyDown(vk::Right) || (dir & 8) != 0;
    const bool confirm =
        KeyDown(vk::Z) || KeyDown(vk::Space) || KeyDown(vk::Enter) || padConfirm != False;
    const bool close = KeyDown(vk::Escape) || OptionsKeyDown();
    if (!(up || down || left || right || confirm || close)) {
      held = false;
      continue;
    }
    if (held) continue;
    held = true;
    if (close) break;
    if (up != down) {
      row = (row + (up ? kRows - 1 : 1)) % kRows;
    } else if (left != right && StepValue(GameSettings, row, left ? -1 : 1)) {
      ApplySettings();
      if (row == kEffects) PlaySound(9);  // the new volume, heard
      if (row == kLanguage) {
        // The screen itself turns to the language chosen; one without its catalogue stays
        // Japanese.
        if (std::string error; !UseLanguage(GameSettings.language, error)) {
          std::cerr << "quelmire: " << error << "\n";
          GameSettings.language = "ja";
        }
      }
    } else if (confirm && row == kCloseRow) {
      break;
    } else if (confirm && row == kDefaultsRow) {
      GameSettings.keys = Settings::DefaultKeys();
    } else if (confirm && row >= kFirstKey) {
      // The next key pressed becomes the action's one key; the options key must leave the
      // menus their own keys.
      capturing = true;
      draw();
      waitForRelease();
      int key = -1;
      while (key < 0) {
        pass();
        for (int k = 1; k <= 255 && key < 0; ++k) {
          const bool refused = row - kFirstKey == static_cast<int>(Action::Options) && IsMenuKey(k);
          if (KeyDown(k) && !platform::KeyName(k).empty() && !refused) key = k;
        }
      }
      GameSettings.keys[static_cast<size_t>(row - kFirstKey)] = {static_cast<uint8_t>(key)};
      capturing = false;
    }
    draw();
  }

  // What this visit left unchanged keeps the file's value, so a choice made on the command
  // line (--windowed, --lang) is not written back unless it was changed here.
  Settings out = SettingsOnDisk;
  auto keepChange = [](auto& o, const auto& now, const auto& before) {
    if (!(now == before)) o = now;
  };
  keepChange(out.musicVolume, GameSettings.musicVolume, atOpen.musicVolume);
  keepChange(out.effectsVolume, GameSettings.effectsVolume, atOpen.effectsVolume);
  keepChange(out.fullscreen, GameSettings.fullscreen, atOpen.fullscreen);
  keepChange(out.windowScale, GameSettings.windowScale, atOpen.windowScale);
  keepChange(out.language, GameSettings.language, atOpen.language);
  for (size_t a = 0; a < kActionCount; ++a)
    keepChange(out.keys[a], GameSettings.keys[a], atOpen.keys[a]);
  if (!SettingsPath.empty()) {
    if (WriteSettings(SettingsPath, out, SettingsError)) {
      SettingsOnDisk = out;
      SettingsError.clear();
    } else {
      // The game goes on with the new settings; the screen says the file kept the old ones.
      std::cerr << "quelmire: " << SettingsError << "\n";
      draw();
      WaitForKey();
    }
  }

  waitForRelease();
  BltRect = {0, 0, 640, 480};
  BltFast(screen, 0, 0, under, false);
  screen.Touch();
  BltRect = savedRect;
}

}  // namespace quelmire
