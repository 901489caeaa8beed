// The two fixed tables start-up builds: tile attribute classes and item names.
#include "shell/form1.h"

namespace quelmire {

// One string per tile-sheet row; character j is the class of tile code row * 8 + j.
// 0 free, 1 hurts, 2 hurts and knocks back, 3 solid, 4 strike block, 5 healing spot.
const char* const kTileAttrRows[20] = {
    "33333333", "00033003", "33333303", "33333203", "33300400", "33300000", "12121240",
    "00000000", "00000000", "00005500", "00005500", "00005500", "00000000", "00003303",
    "33003333", "33330000", "00300000", "00000000", "00400000", "00000000",
};

const char* const kItemNames[35] = {
    "",
    "炎の宝珠",     "水の宝珠",   "森の宝珠", "風の宝珠",   "力の宝珠",   "闇の宝珠",
    "光の宝珠",     "黄金のハート", "銀のハート", "翼の鍵",     "太陽の鍵",   "月の鍵",
    "星の鍵",       "智慧の鍵",   "牡鹿の鍵", "海亀の鍵",   "胡蝶の鍵",   "髑髏の鍵",
    "虚無の鍵",     "零の鍵",     "一の鍵",   "二の鍵",     "三の鍵",     "四の鍵",
    "五の鍵",       "六の鍵",     "七の鍵",   "八の鍵",     "九の鍵",     "深淵の卵",
    "水晶の錨",     "氷の心臓",   "最後の鍵", "妖精の靴",
};

}  // namespace quelmire
