#include "device/SensorInitTable.h"

#include <array>
#include <cstddef>

#include "device/PixoraDevice.h"

namespace pixora {

namespace {

// Timing logic words at registers 512..874: a 12-bit pattern in bits 10..21 and a 10-bit
// position in bits 0..9, positions rising within each of the nine groups, every group
// closed by 4187902 (pattern 0xFF9 at position 766).
constexpr std::array<uint32_t, 363> kTimingWords = {
    // Group 1: 40 words
    204825,
    466994,
    3211317,
    2433078,
    1065015,
    24632,
    213049,
    221242,
    1359955,
    294996,
    508000,
    1089647,
    57456,
    1327243,
    286860,
    1097895,
    32936,
    1351875,
    319684,
    1065183,
    24800,
    1360123,
    295164,
    1089815,
    57624,
    1327411,
    287028,
    1098063,
    33104,
    1352043,
    319852,
    2425222,
    1122695,
    483720,
    197002,
    459161,
    475548,
    1296124,
    239357,
    4187902,
    // Group 2: 39 words
    999442,
    1327142,
    32826,
    3096654,
    196706,
    1295478,
    729227,
    1065119,
    221363,
    671943,
    1327323,
    33008,
    2769156,
    196888,
    1295660,
    401728,
    1065301,
    221545,
    328061,
    1327505,
    33189,
    2195897,
    197070,
    1295842,
    90614,
    1065482,
    221726,
    1032755,
    1327687,
    33371,
    2933359,
    197251,
    1296024,
    828076,
    1065664,
    221908,
    688872,
    1327869,
    4187902,
    // Group 3: 47 words
    1835029,
    2424869,
    458806,
    892998,
    1065047,
    1359975,
    41080,
    32904,
    1122457,
    344233,
    467130,
    24778,
    458971,
    1327339,
    1351932,
    139533,
    1295645,
    3211566,
    278846,
    508239,
    287071,
    794992,
    196992,
    238993,
    3121569,
    221618,
    1089986,
    1868243,
    2425315,
    459252,
    860677,
    1065493,
    1360422,
    991798,
    33351,
    1122903,
    442984,
    467576,
    25225,
    508569,
    1327786,
    1352378,
    156363,
    1296091,
    3212012,
    361213,
    4187902,
    // Group 4: 40 words
    1056792,
    1295403,
    2433087,
    1441874,
    1327206,
    319609,
    229517,
    467104,
    213172,
    1499335,
    32987,
    483566,
    763138,
    1065237,
    295209,
    909628,
    2425168,
    475491,
    3817847,
    221578,
    57758,
    1679793,
    197061,
    205272,
    958956,
    508415,
    1098259,
    1155622,
    1295930,
    2433613,
    1475169,
    1327732,
    320136,
    197275,
    467631,
    213698,
    1401558,
    33513,
    484093,
    4187902,
    // Group 5: 28 words
    1475611,
    1065015,
    507987,
    491632,
    196748,
    467112,
    762053,
    1327329,
    2425086,
    1656090,
    1065270,
    508243,
    835951,
    197004,
    467368,
    876996,
    1327585,
    2425341,
    1852953,
    1065526,
    508498,
    115311,
    197259,
    467623,
    25284,
    1327840,
    2425597,
    4187902,
    // Group 6: 27 words
    2924574,
    507963,
    1351768,
    786550,
    1065107,
    1089713,
    647374,
    1295595,
    24841,
    925990,
    2425156,
    238945,
    246142,
    1327516,
    1122745,
    90583,
    221684,
    287249,
    221743,
    467532,
    1360490,
    1393287,
    197284,
    3211970,
    246495,
    33533,
    4187902,
    // Group 7: 37 words
    1638433,
    32821,
    475210,
    1040479,
    1327220,
    483465,
    3162270,
    508083,
    319688,
    42205,
    221426,
    1097991,
    246043,
    1065264,
    57669,
    1548634,
    467311,
    295300,
    1892761,
    1295790,
    213443,
    942552,
    197101,
    2433538,
    1778198,
    2425387,
    205376,
    1671765,
    33386,
    475775,
    1008276,
    1327785,
    484030,
    3261139,
    508648,
    320253,
    4187902,
    // Group 8: 26 words
    1458212,
    196674,
    1065056,
    1540223,
    196765,
    1065147,
    1163482,
    196856,
    1065239,
    1245493,
    196947,
    1065330,
    1917328,
    197038,
    1065421,
    1999339,
    197130,
    1065512,
    1622598,
    197221,
    1065603,
    1704609,
    197312,
    1065694,
    1327869,
    4187902,
    // Group 9: 79 words
    172071,
    466992,
    1089593,
    1007683,
    1065036,
    286806,
    950367,
    221289,
    1351794,
    565371,
    508037,
    1122446,
    2646168,
    1327265,
    458923,
    802996,
    32957,
    238791,
    278736,
    2425050,
    3211491,
    155885,
    196854,
    24831,
    1343753,
    1295634,
    1360156,
    188709,
    467247,
    1089848,
    57665,
    1065291,
    287060,
    917854,
    221543,
    1352049,
    532858,
    508291,
    1122701,
    2744726,
    1327520,
    459177,
    901555,
    33212,
    239045,
    311759,
    2425304,
    3211746,
    188907,
    197109,
    25086,
    1245703,
    1295889,
    1360410,
    90660,
    467501,
    1090103,
    8768,
    1065545,
    287315,
    934492,
    221798,
    1352303,
    647801,
    508546,
    1122955,
    2728597,
    1327774,
    459432,
    852657,
    33467,
    239300,
    295629,
    2425559,
    3212000,
    74474,
    197363,
    25341,
    4187902,
};

// Sizes of the nine groups, in register order from 512.
constexpr std::array<std::size_t, 9> kTimingGroupSizes = {40, 39, 47, 40, 28, 27, 37, 26, 79};
constexpr uint32_t kGroupEnd = 4187902;

constexpr bool TimingGroupsWellFormed() {
    std::size_t at = 0;
    for (std::size_t size : kTimingGroupSizes) {
        for (std::size_t i = 1; i < size; ++i) {
            if ((kTimingWords[at + i] & 0x3FF) <= (kTimingWords[at + i - 1] & 0x3FF) ||
                kTimingWords[at + i] > 0x3FFFFF) {
                return false;
            }
        }
        at += size;
        if (kTimingWords[at - 1] != kGroupEnd) {
            return false;
        }
    }
    return at == kTimingWords.size();
}
static_assert(TimingGroupsWellFormed(), "timing groups: rising positions, closing word");

constexpr std::array<uint32_t, 12> kSensorTiming = {62, 7, 40, 39, 55, 6, 22, 1, 56, 39, 5, 2};

constexpr std::array<uint32_t, 9> kBlock384 = {794625,  2228225, 2490369, 905222, 794631,
                                               1056777, 794634,  681004,  4064300};
constexpr std::array<uint32_t, 9> kBlock400 = {323585, 2228225, 2490369, 163842, 516105,
                                               163850, 534,     4063766, 794624};

// Nonzero values among registers 0..163.
struct NamedValue {
    uint32_t reg;
    uint32_t value;
};
constexpr std::array<NamedValue, 21> kControlValues = {{
    {1, 8},   {2, 3},   {7, 3},   {16, 3},  {17, 30},  {18, 6},   {19, 2},
    {20, 1},  {34, 1},  {47, 9},  {49, 6},  {140, 52}, {141, 3},  {143, 36},
    {144, 5}, {145, 2}, {152, 1}, {155, 7}, {157, 1},  {158, 36}, {159, 1},
}};

void AppendZeros(std::vector<RegisterWrite>& writes, uint32_t first, uint32_t last) {
    for (uint32_t reg = first; reg <= last; ++reg) {
        writes.push_back({reg, 0});
    }
}

bool SkippedControlRegister(uint32_t reg) {
    // 31 and 32 are the trigger registers, 35..46 the sensor timing sent first, 63 unused.
    return reg == 31 || reg == 32 || (reg >= 35 && reg <= 46) || reg == 63;
}

uint32_t ControlValue(uint32_t reg) {
    for (const NamedValue& named : kControlValues) {
        if (named.reg == reg) {
            return named.value;
        }
    }
    return 0;
}

}  // namespace

std::vector<RegisterWrite> SensorInitWrites() {
    std::vector<RegisterWrite> writes;
    writes.reserve(932);
    for (std::size_t i = 0; i < kSensorTiming.size(); ++i) {
        writes.push_back({static_cast<uint32_t>(35 + i), kSensorTiming[i]});
    }
    for (std::size_t i = 0; i < kTimingWords.size(); ++i) {
        writes.push_back({static_cast<uint32_t>(512 + i), kTimingWords[i]});
    }
    AppendZeros(writes, 875, 1023);
    AppendZeros(writes, 256, 383);
    for (std::size_t i = 0; i < kBlock384.size(); ++i) {
        writes.push_back({static_cast<uint32_t>(384 + i), kBlock384[i]});
    }
    AppendZeros(writes, 393, 399);
    for (std::size_t i = 0; i < kBlock400.size(); ++i) {
        writes.push_back({static_cast<uint32_t>(400 + i), kBlock400[i]});
    }
    AppendZeros(writes, 409, 511);
    for (uint32_t reg = 0; reg <= 163; ++reg) {
        if (!SkippedControlRegister(reg)) {
            writes.push_back({reg, ControlValue(reg)});
        }
    }
    // Exposure 36 + 1 x 64 = 100 once more, then the trigger control register last.
    writes.push_back({158, 36});
    writes.push_back({159, 1});
    writes.push_back({32, 11});
    return writes;
}

void SensorInitTable(PixoraDevice& device) {
    device.InitDevice();
    for (const RegisterWrite& write : SensorInitWrites()) {
        device.WriteRegister(write.reg, write.value);
    }
}

}  // namespace pixora
