#include "places/gazetteer.hpp"

#include <iterator>

namespace places {
namespace {

// One gazetteer row as written below: the padded name, then longitude and latitude as the
// single-precision values the table holds.
struct PlaceRow {
    char name[kPlaceNameLength + 1];
    float longitude;
    float latitude;
};

// Rows 1-217 in ascending character order, "China" at 218, then the states and D.C.
// Islands and archipelagos sit on their main or capital island; atoll nations on their
// largest island.
constexpr PlaceRow kRows[] = {
    {"Afghanistan                   ", 67.733337f,  33.9000f},  //   1
    {"Albania                       ",   20.1683f,  41.2073f},  //   2
    {"Algeria                       ",    1.6596f,  28.0339f},  //   3
    {"Andorra                       ",    1.5277f,  42.5781f},  //   4
    {"Angola                        ",   17.8739f, -11.2027f},  //   5
    {"Anguilla                      ",  -63.0475f,  18.2260f},  //   6
    {"Antarctica                    ",    0.0000f, -76.6083f},  //   7
    {"Antigua & Barbuda             ",  -61.7906f,  17.0750f},  //   8
    {"Argentina                     ",  -63.6167f, -38.4161f},  //   9
    {"Armenia                       ",   45.0382f,  40.0691f},  //  10
    {"Aruba (Neth.)                 ",  -69.9566f,  12.5060f},  //  11
    {"Australia                     ",  133.7751f, -25.2744f},  //  12
    {"Austria                       ",   14.5368f,  47.5342f},  //  13
    {"Azerbaijan                    ",   47.5534f,  40.0891f},  //  14
    {"Azores (Port.)                ",  -25.5391f,  37.7775f},  //  15
    {"Bahamas                       ",  -77.3405f,  25.0480f},  //  16
    {"Bahrain                       ",   50.5500f,  26.0300f},  //  17
    {"Bangladesh                    ",   90.3465f,  23.5861f},  //  18
    {"Barbados                      ",  -59.5617f,  13.1849f},  //  19
    {"Belarus                       ",   27.9382f,  53.7188f},  //  20
    {"Belgium                       ",    4.4699f,  50.5039f},  //  21
    {"Belize                        ",  -88.4976f,  17.1899f},  //  22
    {"Benin                         ",    2.3158f,   9.3077f},  //  23
    {"Bermuda                       ",  -64.7627f,  32.3001f},  //  24
    {"Bhutan                        ",   90.4336f,  27.5142f},  //  25
    {"Bolivia                       ",  -63.5887f, -16.2902f},  //  26
    {"Bosnia And Herzegovina        ",   17.6791f,  43.9159f},  //  27
    {"Botswana                      ",   24.6849f, -22.3285f},  //  28
    {"Brazil                        ",  -51.9253f, -14.2350f},  //  29
    {"British Virgin Islands        ",  -64.6384f,  18.4260f},  //  30
    {"Brunei Darussalam             ",  114.7277f,   4.5353f},  //  31
    {"Bulgaria                      ",   25.4858f,  42.7339f},  //  32
    {"Burkina Faso                  ",   -1.5800f,  12.2203f},  //  33
    {"Burundi                       ",   29.9189f,  -3.3731f},  //  34
    {"Cambodia                      ",  104.9726f,  12.5657f},  //  35
    {"Cameroon                      ",   12.3547f,   7.3697f},  //  36
    {"Canada                        ", -106.3468f,  56.1304f},  //  37
    {"Cape Verde                    ",  -23.6293f,  15.0800f},  //  38
    {"Cayman Islands                ",  -81.1324f,  19.3270f},  //  39
    {"Central African Republic      ",   20.9394f,   6.6111f},  //  40
    {"Chad                          ",   18.7322f,  15.4542f},  //  41
    {"Chile                         ",  -71.5430f, -35.6751f},  //  42
    {"Colombia                      ",  -74.3063f,   4.5709f},  //  43
    {"Comoros                       ",   43.3400f, -11.7000f},  //  44
    {"Congo                         ",   15.8277f,  -0.2280f},  //  45
    {"Cook Islands                  ", -159.7607f, -21.2260f},  //  46
    {"Costa Rica                    ",  -83.7534f,   9.7489f},  //  47
    {"Croatia                       ",   15.2000f,  45.1000f},  //  48
    {"Cuba                          ",  -77.8005f,  21.4858f},  //  49
    {"Cyprus                        ",   33.0000f,  34.9000f},  //  50
    {"Czech Republic                ",   15.4730f,  49.9074f},  //  51
    {"Denmark                       ",    9.3075f,  56.2279f},  //  52
    {"Djibouti                      ",   42.5903f,  11.8251f},  //  53
    {"Dominica                      ",  -61.3617f,  15.4150f},  //  54
    {"Dominican Republic            ",  -70.1627f,  18.7357f},  //  55
    {"Ecuador                       ",  -78.1384f,  -1.8042f},  //  56
    {"Egypt                         ",   30.8025f,  26.8206f},  //  57
    {"El Salvador                   ",  -88.8965f,  13.7942f},  //  58
    {"Equatorial Guinea             ",   10.2679f,   1.6508f},  //  59
    {"Eritrea                       ",   38.8907f,  15.1730f},  //  60
    {"Estonia                       ",   25.8300f,  58.7250f},  //  61
    {"Ethiopia                      ",   40.4897f,   9.1450f},  //  62
    {"Falkland Islands              ",  -58.7000f, -51.6500f},  //  63
    {"Fiji                          ",  178.0250f, -17.7583f},  //  64
    {"Finland                       ",   26.3715f,  64.5367f},  //  65
    {"Fmr Yug Rep Macedonia         ",   21.7453f,  41.6086f},  //  66
    {"France                        ",    2.3957f,  46.1197f},  //  67
    {"French Guiana                 ",  -53.1258f,   3.9339f},  //  68
    {"French Polynesia              ", -149.4400f, -17.6300f},  //  69
    {"Gabon                         ",   11.6094f,  -0.8037f},  //  70
    {"Gambia                        ",  -15.2731f,  13.5601f},  //  71
    {"Georgia                       ",   43.3569f,  42.3154f},  //  72
    {"Germany                       ",   10.3798f,  51.1567f},  //  73
    {"Ghana                         ",   -1.0232f,   7.9465f},  //  74
    {"Gibraltar                     ",   -5.3483f,  36.1327f},  //  75
    {"Greece                        ",   21.8243f,  39.0742f},  //  76
    {"Greenland                     ",  -42.4083f,  71.7750f},  //  77
    {"Grenada                       ",  -61.6700f,  12.1240f},  //  78
    {"Guadeloupe                    ",  -61.6700f,  16.1430f},  //  79
    {"Guam                          ",  144.7290f,  13.4263f},  //  80
    {"Guatemala                     ",  -90.2682f,  15.7835f},  //  81
    {"Guinea                        ",   -9.6966f,   9.9456f},  //  82
    {"Guinea Bissau                 ",  -15.1804f,  11.8037f},  //  83
    {"Guyana                        ",  -58.9302f,   4.8604f},  //  84
    {"Haiti                         ",  -72.2852f,  18.9712f},  //  85
    {"Honduras                      ",  -86.2419f,  15.2000f},  //  86
    {"Hungary                       ",   19.5033f,  47.1625f},  //  87
    {"Iceland                       ",  -19.0633f,  64.9451f},  //  88
    {"India                         ",   78.9821f,  20.5937f},  //  89
    {"Indonesia                     ",  113.9213f,  -0.7893f},  //  90
    {"Iran                          ",   53.6880f,  32.4279f},  //  91
    {"Iraq                          ",   43.6793f,  33.2232f},  //  92
    {"Iraq-Saudi Arabia Neutral Zone",   45.6333f,  29.1167f},  //  93
    {"Ireland                       ",   -8.3344f,  53.4039f},  //  94
    {"Israel                        ",   34.8516f,  31.0461f},  //  95
    {"Italy                         ",   12.4956f,  42.5110f},  //  96
    {"Ivory Coast                   ",   -5.5471f,   7.5400f},  //  97
    {"Jamaica                       ",  -77.2975f,  18.1096f},  //  98
    {"Japan                         ",  138.2529f,  36.2048f},  //  99
    {"Jordan                        ",   36.2384f,  30.5852f},  // 100
    {"Kazakhstan                    ",   66.9237f,  48.0196f},  // 101
    {"Kenya                         ",   37.9062f,  -0.0236f},  // 102
    {"Kiribati                      ", -157.2420f,   1.7567f},  // 103
    {"Korea Dem. People's Rep.      ",  127.5101f,  40.3399f},  // 104
    {"Korea, Republic Of            ",  127.7669f,  35.9078f},  // 105
    {"Kuwait                        ",   47.4818f,  29.3117f},  // 106
    {"Kyrgyzstan                    ",   74.7661f,  41.2044f},  // 107
    {"Laos                          ",  103.4000f,  18.8000f},  // 108
    {"Latvia                        ",   24.7019f,  56.9425f},  // 109
    {"Lebanon                       ",   35.8623f,  33.8547f},  // 110
    {"Lesotho                       ",   28.2336f, -29.6100f},  // 111
    {"Liberia                       ",   -9.4295f,   6.4281f},  // 112
    {"Libya Arab Jamahiriy          ",   17.2283f,  26.3351f},  // 113
    {"Liechtenstein                 ",    9.5554f,  47.1300f},  // 114
    {"Lithuania                     ",   23.9758f,  55.1334f},  // 115
    {"Luxembourg                    ",    6.1993f,  49.7973f},  // 116
    {"Madagascar                    ",   46.8691f, -18.7669f},  // 117
    {"Malawi                        ",   34.2923f, -13.2543f},  // 118
    {"Malaysia                      ",  101.9758f,   4.2105f},  // 119
    {"Maldives                      ",   73.5090f,   4.1745f},  // 120
    {"Mali                          ",   -3.9962f,  17.5707f},  // 121
    {"Malta                         ",   14.4087f,  35.8925f},  // 122
    {"Marshall Islands              ",  171.3758f,   7.1027f},  // 123
    {"Martinique                    ",  -61.0242f,  14.6415f},  // 124
    {"Mauritania                    ",  -10.9408f,  21.0079f},  // 125
    {"Mauritius                     ",   57.5714f, -20.3934f},  // 126
    {"Mexico                        ", -102.5528f,  23.6345f},  // 127
    {"Micronesia, Fed Stat          ",  158.2150f,   6.8800f},  // 128
    {"Moldova, Republic Of          ",   28.3832f,  47.3846f},  // 129
    {"Monaco                        ",    7.4246f,  43.7388f},  // 130
    {"Mongolia                      ",  103.8467f,  46.8625f},  // 131
    {"Morocco                       ",   -7.0926f,  31.7917f},  // 132
    {"Mozambique                    ",   35.5296f, -18.6657f},  // 133
    {"Myanmar                       ",   95.9463f,  21.9252f},  // 134
    {"Namibia                       ",   18.4904f, -22.9576f},  // 135
    {"Nauru                         ",  166.9315f,  -0.5318f},  // 136
    {"Nepal                         ",   84.1240f,  28.3949f},  // 137
    {"Netherlands                   ",    5.2913f,  52.1146f},  // 138
    {"New Caledonia                 ",  165.6290f, -21.3360f},  // 139
    {"New Zealand                   ",  175.5000f, -39.4910f},  // 140
    {"Nicaragua                     ",  -85.2072f,  12.8654f},  // 141
    {"Niger                         ",    8.0817f,  17.6078f},  // 142
    {"Nigeria                       ",    8.6753f,   9.0820f},  // 143
    {"Niue                          ", -169.8672f, -19.0544f},  // 144
    {"Northern Mariana Islands      ",  145.7500f,  15.1900f},  // 145
    {"Norway                        ",   11.4729f,  63.9360f},  // 146
    {"Oman                          ",   55.9233f,  21.5126f},  // 147
    {"Pakistan                      ",   69.3451f,  30.3753f},  // 148
    {"Palau Islands                 ",  134.5800f,   7.5000f},  // 149
    {"Panama                        ",  -80.7821f,   8.5380f},  // 150
    {"Panama Canal Zone             ",  -79.6327f,   9.0980f},  // 151
    {"Papua New Guinea              ",  143.9555f,  -6.3150f},  // 152
    {"Paraguay                      ",  -58.4438f, -23.4425f},  // 153
    {"Peru                          ",  -75.0152f,  -9.1900f},  // 154
    {"Philippines                   ",  121.0187f,  15.6180f},  // 155
    {"Poland                        ",   19.1597f,  51.9284f},  // 156
    {"Portugal                      ",   -8.2245f,  39.3999f},  // 157
    {"Puerto Rico                   ",  -66.5901f,  18.2208f},  // 158
    {"Qatar                         ",   51.1839f,  25.3548f},  // 159
    {"Reunion                       ",   55.5364f, -21.1151f},  // 160
    {"Romania                       ",   24.9668f,  45.9432f},  // 161
    {"Russian Federation            ",  105.3188f,  61.5240f},  // 162
    {"Rwanda                        ",   29.8739f,  -1.9403f},  // 163
    {"Saint Lucia                   ",  -60.9789f,  13.9274f},  // 164
    {"San Marino                    ",   12.4453f,  43.9334f},  // 165
    {"Sao Tome & Principe           ",    6.6100f,   0.2200f},  // 166
    {"Saudi Arabia                  ",   45.0792f,  23.8859f},  // 167
    {"Senegal                       ",  -14.4524f,  14.4974f},  // 168
    {"Seychelles                    ",   55.4370f,  -4.6430f},  // 169
    {"Sierra Leone                  ",  -11.7799f,   8.4606f},  // 170
    {"Singapore                     ",  103.8108f,   1.3161f},  // 171
    {"Slovakia                      ",   19.6990f,  48.6690f},  // 172
    {"Slovenia                      ",   14.9955f,  46.1692f},  // 173
    {"Solomon Islands               ",  160.1500f,  -9.6000f},  // 174
    {"Somalia                       ",   46.1996f,   5.1521f},  // 175
    {"South Africa                  ",   22.9375f, -30.5595f},  // 176
    {"Spain                         ",   -3.6901f,  40.4817f},  // 177
    {"Sri Lanka                     ",   80.8172f,   7.8551f},  // 178
    {"St. Kitts & Nevis             ",  -62.7517f,  17.3300f},  // 179
    {"St. Vincent & Grenadine       ",  -61.2000f,  13.2500f},  // 180
    {"Sudan                         ",   30.2176f,  12.8628f},  // 181
    {"Suriname                      ",  -56.0278f,   3.9193f},  // 182
    {"Swaziland                     ",   31.4659f, -26.5225f},  // 183
    {"Sweden                        ",   15.9312f,  62.4450f},  // 184
    {"Switzerland                   ",    8.3063f,  46.8272f},  // 185
    {"Syrian Arab Rep.              ",   38.9968f,  34.8021f},  // 186
    {"Taiwan                        ",  120.9605f,  23.6978f},  // 187
    {"Tajikistan                    ",   71.2761f,  38.8610f},  // 188
    {"Tanzania                      ",   34.8888f,  -6.3690f},  // 189
    {"Thailand                      ",  100.9925f,  15.8700f},  // 190
    {"Togo                          ",    0.8248f,   8.6195f},  // 191
    {"Tonga                         ", -174.9417f, -21.3750f},  // 192
    {"Trinidad & Tobago             ",  -61.3020f,  10.4635f},  // 193
    {"Tunisia                       ",    9.5375f,  33.8869f},  // 194
    {"Turkey                        ",   35.2317f,  38.9637f},  // 195
    {"Turkmenistan                  ",   59.5563f,  38.9697f},  // 196
    {"Turks And Caicos Islands      ",  -72.2984f,  21.8070f},  // 197
    {"Tuvalu                        ",  178.6882f,  -7.4903f},  // 198
    {"U.S. Virgin Islands           ",  -64.7894f,  17.7390f},  // 199
    {"Uganda                        ",   32.2903f,   1.3733f},  // 200
    {"Ukraine                       ",   31.1656f,  48.3344f},  // 201
    {"United Arab Emirates          ",   53.8478f,  23.4241f},  // 202
    {"United Kingdom                ",   -2.5200f,  53.9450f},  // 203
    {"United States                 ",  -93.4064f,  37.0587f},  // 204
    {"Uruguay                       ",  -55.7551f, -32.4509f},  // 205
    {"Uzbekistan                    ",   64.5853f,  41.3775f},  // 206
    {"Vanuatu                       ",  168.3500f, -17.6500f},  // 207
    {"Vatican City (Holy See)       ",   12.4534f,  41.9029f},  // 208
    {"Venezuela                     ",  -66.5897f,   6.4238f},  // 209
    {"Vietnam                       ",  108.2772f,  14.0583f},  // 210
    {"Western Sahara                ",  -12.8858f,  24.2155f},  // 211
    {"Western Samoa                 ", -171.7500f, -13.9300f},  // 212
    {"Yemen                         ",   48.5164f,  15.5527f},  // 213
    {"Yugoslavia                    ",   20.9000f,  43.9820f},  // 214
    {"Zaire                         ",   21.7587f,  -4.0473f},  // 215
    {"Zambia                        ",   27.8493f, -13.1339f},  // 216
    {"Zimbabwe                      ",   29.1549f, -19.0154f},  // 217
    {"China                         ",   99.9833f,  36.6684f},  // 218
    {"Alabama                       ",  -86.6892f,  32.6147f},  // 219
    {"Alaska                        ", -149.0870f,  62.8855f},  // 220
    {"Arizona                       ", -111.0937f,  34.0489f},  // 221
    {"Arkansas                      ",  -91.8428f,  35.2101f},  // 222
    {"California                    ", -119.3842f,  36.7513f},  // 223
    {"Colorado                      ", -105.7938f,  39.5501f},  // 224
    {"Connecticut                   ",  -72.7180f,  41.6110f},  // 225
    {"Delaware                      ",  -75.5277f,  38.9108f},  // 226
    {"District Of Columbia          ",  -77.0147f,  38.8834f},  // 227
    {"Florida                       ",  -81.5767f,  27.6198f},  // 228
    {"Georgia                       ",  -82.9390f,  32.1574f},  // 229
    {"Hawaii                        ", -155.4330f,  19.5957f},  // 230
    {"Idaho                         ", -114.7420f,  44.0682f},  // 231
    {"Illinois                      ",  -89.3748f,  40.6061f},  // 232
    {"Indiana                       ",  -86.2834f,  39.9529f},  // 233
    {"Iowa                          ",  -93.0977f,  41.8780f},  // 234
    {"Kansas                        ",  -98.4842f,  39.0209f},  // 235
    {"Kentucky                      ",  -85.2813f,  37.5590f},  // 236
    {"Louisiana                     ",  -92.2186f,  31.3257f},  // 237
    {"Maine                         ",  -69.5477f,  45.1459f},  // 238
    {"Maryland                      ",  -76.6529f,  39.0458f},  // 239
    {"Massachusetts                 ",  -72.0917f,  42.2501f},  // 240
    {"Michigan                      ",  -85.6275f,  44.3148f},  // 241
    {"Minnesota                     ",  -94.7777f,  46.7206f},  // 242
    {"Mississippi                   ",  -89.3985f,  32.3547f},  // 243
    {"Missouri                      ",  -91.8318f,  37.9643f},  // 244
    {"Montana                       ", -110.3626f,  46.8797f},  // 245
    {"Nebraska                      ",  -99.9018f,  41.4925f},  // 246
    {"Nevada                        ", -116.4194f,  38.8026f},  // 247
    {"New Hampshire                 ",  -71.7168f,  43.7170f},  // 248
    {"New Jersey                    ",  -74.5953f,  40.1329f},  // 249
    {"New Mexico                    ", -106.1100f,  34.5000f},  // 250
    {"New York                      ",  -75.5000f,  42.9500f},  // 251
    {"North Carolina                ",  -79.2299f,  35.7506f},  // 252
    {"North Dakota                  ", -101.0153f,  47.5875f},  // 253
    {"Ohio                          ",  -82.9071f,  40.4173f},  // 254
    {"Oklahoma                      ",  -97.2247f,  35.0797f},  // 255
    {"Oregon                        ", -120.5542f,  43.8041f},  // 256
    {"Pennsylvania                  ",  -77.1825f,  41.2573f},  // 257
    {"Rhode Island                  ",  -71.4958f,  41.6755f},  // 258
    {"South Carolina                ",  -81.1312f,  33.8001f},  // 259
    {"South Dakota                  ",  -99.9018f,  43.9695f},  // 260
    {"Tennessee                     ",  -86.5804f,  35.5175f},  // 261
    {"Texas                         ",  -99.9442f,  31.9686f},  // 262
    {"Utah                          ", -111.0937f,  39.3210f},  // 263
    {"Vermont                       ",  -72.6600f,  43.9800f},  // 264
    {"Virginia                      ",  -78.6682f,  37.4406f},  // 265
    {"Washington                    ", -120.7401f,  47.7511f},  // 266
    {"West Virginia                 ",  -80.4549f,  38.5976f},  // 267
    {"Wisconsin                     ",  -89.6844f,  44.4030f},  // 268
    {"Wyoming                       ", -107.5534f,  43.0003f},  // 269
};

static_assert(std::size(kRows) == kPlaceCount, "the gazetteer has 269 rows");

// Every name fills its 30-character field exactly: no NUL inside, no blank in front.
constexpr bool namesFillTheirFields() {
    for (const PlaceRow& row : kRows) {
        if (row.name[0] == ' ' || row.name[kPlaceNameLength] != '\0') return false;
        for (int c = 0; c < kPlaceNameLength; ++c) {
            if (row.name[c] == '\0') return false;
        }
    }
    return true;
}
static_assert(namesFillTheirFields(), "every name is a 30-character blank-padded field");

constexpr Table<PlaceName, kPlaceCount> namesOf(const PlaceRow (&rows)[kPlaceCount]) {
    Table<PlaceName, kPlaceCount> names{};
    for (int k = 0; k < kPlaceCount; ++k) {
        for (int c = 0; c <= kPlaceNameLength; ++c) names.slot[k].text[c] = rows[k].name[c];
    }
    return names;
}

constexpr Table<PlaceLonLat, kPlaceCount> centresOf(const PlaceRow (&rows)[kPlaceCount]) {
    Table<PlaceLonLat, kPlaceCount> centres{};
    for (int k = 0; k < kPlaceCount; ++k) {
        centres.slot[k] = {static_cast<double>(rows[k].longitude),
                           static_cast<double>(rows[k].latitude)};
    }
    return centres;
}

}  // namespace

// Built at compile time, so both tables are ready before any code runs.
constexpr Table<PlaceName, kPlaceCount> placeNames = namesOf(kRows);
constexpr Table<PlaceLonLat, kPlaceCount> placePositions = centresOf(kRows);

}  // namespace places
