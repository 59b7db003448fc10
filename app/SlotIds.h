#pragma once
// The dialog controls of each slot, slot 0 first (slot i stands in column
// i / 6, row i % 6). Handlers find their slot by looking the id up here.
#include "board/Keys.h"

namespace app {

constexpr int kPlayIds[board::kSlotCount] = {1000, 1001, 1007, 1037, 1038, 1039, 1040, 1041, 1042,
                                             1043, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051};
constexpr int kStopIds[board::kSlotCount] = {1057, 1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066,
                                             1067, 1068, 1069, 1070, 1071, 1072, 1073, 1104, 1141};
constexpr int kTitleIds[board::kSlotCount] = {1004, 1006, 1009, 1010, 1011, 1012, 1013, 1014, 1015,
                                              1016, 1017, 1018, 1019, 1020, 1021, 1022, 1147, 1148};
constexpr int kTimeIds[board::kSlotCount] = {1055, 1074, 1075, 1076, 1077, 1078, 1079, 1080, 1081,
                                             1082, 1083, 1084, 1085, 1086, 1087, 1088, 1107, 1142};
constexpr int kTenthsIds[board::kSlotCount] = {1058, 1089, 1090, 1091, 1092, 1093, 1094, 1095, 1096,
                                               1097, 1098, 1099, 1100, 1101, 1102, 1103, 1138, 1143};
constexpr int kPositionIds[board::kSlotCount] = {1105, 1108, 1110, 1112, 1114, 1116, 1118, 1120, 1122,
                                                 1124, 1126, 1128, 1130, 1132, 1134, 1136, 1139, 1144};
constexpr int kVolumeIds[board::kSlotCount] = {1106, 1109, 1111, 1113, 1115, 1117, 1119, 1121, 1123,
                                               1125, 1127, 1129, 1131, 1133, 1135, 1137, 1140, 1145};

// The slot whose control in the group has this id, or -1.
constexpr int SlotOf(const int (&ids)[board::kSlotCount], int id) {
    for (int i = 0; i < board::kSlotCount; ++i)
        if (ids[i] == id) return i;
    return -1;
}

}  // namespace app
