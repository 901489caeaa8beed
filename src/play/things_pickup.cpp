// Picking up an item: the count, the message with the item's picture, the hearts that
// raise the life ceiling, and the key that keeps the item out of its room for good.
#include <algorithm>
#include <string>

#include "shell/form1.h"

namespace quelmire {

String Form1::ItemMessage(Integer n) const {
  String m = U"r\u3000\u3000\u3000b" + ItemName(n) + U"wをr\u3000\u3000\u3000手に入れた。i" +
             Right(U"  " + Str(n), 2);
  if (n == 8 || n == 9) {
    m += U"r\u3000\u3000\u3000ライフの上限が" + Mid(U"３１", n - 7, 1) + U"増えた。";
  }
  return m;
}

namespace {

// The text with its "{0}" filled in.
String FillIn(String s, const String& value) {
  const size_t at = s.find(U"{0}");
  return at == String::npos ? s : s.replace(at, 3, value);
}

}  // namespace

// The pick-up message in the language played; empty when its template has no translation.
String Form1::TranslatedItemMessage(Integer n) const {
  const String pickup = U"r\u3000\u3000\u3000b{0}wをr\u3000\u3000\u3000手に入れた。";
  const String lifeUp = U"r\u3000\u3000\u3000ライフの上限が{0}増えた。";
  String m = Tr(pickup);
  if (m == pickup) return U"";
  String number = FromUtf8(std::to_string(n));
  if (number.size() < 2) number = U"0" + number;
  m = FillIn(m, Tr(ItemName(n))) + U"{i" + number + U"}";
  if (n == 8 || n == 9) m += FillIn(Tr(lifeUp), n == 8 ? U"3" : U"1");
  return m;
}

void Form1::PickUpItem(int i) {
  ObjRecord& t = Obj(i);
  if (t.Kind > 147) {
    ThingFault(i, "item number " + std::to_string(t.Kind - 20) + " is past the last item, 127");
  }
  const Integer n = I16(t.Kind - 20);

  PlaySound(5);
  // A count is a byte: one more of an item already held 255 times is not counted.
  if (ItemCount(n) < 255) ItemCount(n) = U8(ItemCount(n) + 1);

  const String m = ItemMessage(n);
  if (n == 8) LifeMax = I16(std::min(LifeMax + 3, int{kMostHearts}));
  if (n == 9) LifeMax = I16(std::min(LifeMax + 1, int{kMostHearts}));

  // The item leaves the room before the message is drawn over the scene; the crystal
  // says nothing.
  const bool shows = t.Kind > 20;
  const Integer x = t.X, y = t.Y;
  t.Kind = 0;
  if (shows) {
    const String translated = Translated() ? TranslatedItemMessage(n) : U"";
    if (translated.empty()) {
      ShowMessage(m);
    } else {
      ShowTranslatedMessage(translated, m);
    }
  }

  int j = 1;
  while (j < 511 && TakenList(j) != U"") ++j;
  TakenList(j) = Str(x) + Str(y) + Str(Obj(0).Kind);
}

}  // namespace quelmire
