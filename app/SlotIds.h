#pragma once
// The dialog controls of each slot, slot 0 first (slot i stands in column
// i / 6, row i % 6). Handlers find their slot by looking the id up here.
#include "board/Keys.h"

namespace app {

struct SlotIds {
    int play, stop, title, time, tenths, position, volume;
};

constexpr SlotIds kSlotIds[board::kSlotCount] = {
    {1000, 1057, 1004, 1055, 1058, 1105, 1106}, {1001, 1059, 1006, 1074, 1089, 1108, 1109},
    {1007, 1060, 1009, 1075, 1090, 1110, 1111}, {1037, 1061, 1010, 1076, 1091, 1112, 1113},
    {1038, 1062, 1011, 1077, 1092, 1114, 1115}, {1039, 1063, 1012, 1078, 1093, 1116, 1117},
    {1040, 1064, 1013, 1079, 1094, 1118, 1119}, {1041, 1065, 1014, 1080, 1095, 1120, 1121},
    {1042, 1066, 1015, 1081, 1096, 1122, 1123}, {1043, 1067, 1016, 1082, 1097, 1124, 1125},
    {1044, 1068, 1017, 1083, 1098, 1126, 1127}, {1045, 1069, 1018, 1084, 1099, 1128, 1129},
    {1046, 1070, 1019, 1085, 1100, 1130, 1131}, {1047, 1071, 1020, 1086, 1101, 1132, 1133},
    {1048, 1072, 1021, 1087, 1102, 1134, 1135}, {1049, 1073, 1022, 1088, 1103, 1136, 1137},
    {1050, 1104, 1147, 1107, 1138, 1139, 1140}, {1051, 1141, 1148, 1142, 1143, 1144, 1145},
};

// The slot whose control of the given kind has this id, or -1.
constexpr int SlotOf(int SlotIds::*kind, int id) {
    for (int i = 0; i < board::kSlotCount; ++i)
        if (kSlotIds[i].*kind == id) return i;
    return -1;
}

}  // namespace app
