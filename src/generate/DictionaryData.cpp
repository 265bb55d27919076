#include "generate/DictionaryData.h"

namespace generate::dictionary {

namespace {

// The most common surnames, weighted roughly by their share of the population.
constexpr Name SurnameList[] = {
    {u"佐藤", u"サトウ", u"sato", 190},        {u"鈴木", u"スズキ", u"suzuki", 180},
    {u"高橋", u"タカハシ", u"takahashi", 140}, {u"田中", u"タナカ", u"tanaka", 130},
    {u"伊藤", u"イトウ", u"ito", 110},         {u"渡辺", u"ワタナベ", u"watanabe", 110},
    {u"山本", u"ヤマモト", u"yamamoto", 110},  {u"中村", u"ナカムラ", u"nakamura", 100},
    {u"小林", u"コバヤシ", u"kobayashi", 100}, {u"加藤", u"カトウ", u"kato", 90},
    {u"吉田", u"ヨシダ", u"yoshida", 85},      {u"山田", u"ヤマダ", u"yamada", 80},
    {u"佐々木", u"ササキ", u"sasaki", 70},     {u"山口", u"ヤマグチ", u"yamaguchi", 65},
    {u"松本", u"マツモト", u"matsumoto", 63},  {u"井上", u"イノウエ", u"inoue", 62},
    {u"木村", u"キムラ", u"kimura", 58},       {u"林", u"ハヤシ", u"hayashi", 55},
    {u"斎藤", u"サイトウ", u"saito", 54},      {u"清水", u"シミズ", u"shimizu", 53},
    {u"山崎", u"ヤマザキ", u"yamazaki", 47},   {u"森", u"モリ", u"mori", 46},
    {u"池田", u"イケダ", u"ikeda", 44},        {u"橋本", u"ハシモト", u"hashimoto", 44},
    {u"阿部", u"アベ", u"abe", 43},            {u"石川", u"イシカワ", u"ishikawa", 41},
    {u"山下", u"ヤマシタ", u"yamashita", 40},  {u"中島", u"ナカジマ", u"nakajima", 39},
    {u"石井", u"イシイ", u"ishii", 38},        {u"小川", u"オガワ", u"ogawa", 37},
    {u"前田", u"マエダ", u"maeda", 36},        {u"岡田", u"オカダ", u"okada", 36},
    {u"長谷川", u"ハセガワ", u"hasegawa", 35}, {u"藤田", u"フジタ", u"fujita", 35},
    {u"後藤", u"ゴトウ", u"goto", 34},         {u"近藤", u"コンドウ", u"kondo", 34},
    {u"村上", u"ムラカミ", u"murakami", 33},   {u"遠藤", u"エンドウ", u"endo", 32},
    {u"青木", u"アオキ", u"aoki", 32},         {u"坂本", u"サカモト", u"sakamoto", 31},
};

// Given names common across the generations, women's and men's.
constexpr Name GivenNameList[] = {
    {u"太郎", u"タロウ", u"taro", 30},       {u"一郎", u"イチロウ", u"ichiro", 25},
    {u"健太", u"ケンタ", u"kenta", 30},      {u"大輔", u"ダイスケ", u"daisuke", 35},
    {u"拓也", u"タクヤ", u"takuya", 35},     {u"直樹", u"ナオキ", u"naoki", 30},
    {u"誠", u"マコト", u"makoto", 35},       {u"浩", u"ヒロシ", u"hiroshi", 40},
    {u"隆", u"タカシ", u"takashi", 35},      {u"翔太", u"ショウタ", u"shota", 30},
    {u"大翔", u"ヒロト", u"hiroto", 25},     {u"蓮", u"レン", u"ren", 25},
    {u"悠真", u"ユウマ", u"yuma", 20},       {u"陽翔", u"ハルト", u"haruto", 20},
    {u"湊", u"ミナト", u"minato", 20},       {u"健一", u"ケンイチ", u"kenichi", 30},
    {u"和也", u"カズヤ", u"kazuya", 30},     {u"修", u"オサム", u"osamu", 25},
    {u"剛", u"ツヨシ", u"tsuyoshi", 25},     {u"陽向", u"ヒナタ", u"hinata", 15},
    {u"花子", u"ハナコ", u"hanako", 20},     {u"美咲", u"ミサキ", u"misaki", 35},
    {u"陽子", u"ヨウコ", u"yoko", 35},       {u"恵子", u"ケイコ", u"keiko", 40},
    {u"直美", u"ナオミ", u"naomi", 30},      {u"由美子", u"ユミコ", u"yumiko", 30},
    {u"愛", u"アイ", u"ai", 30},             {u"優子", u"ユウコ", u"yuko", 35},
    {u"真由美", u"マユミ", u"mayumi", 30},   {u"さくら", u"サクラ", u"sakura", 25},
    {u"七海", u"ナナミ", u"nanami", 20},     {u"彩", u"アヤ", u"aya", 25},
    {u"舞", u"マイ", u"mai", 25},            {u"美穂", u"ミホ", u"miho", 25},
    {u"陽葵", u"ヒマリ", u"himari", 20},     {u"結衣", u"ユイ", u"yui", 25},
    {u"葵", u"アオイ", u"aoi", 20},          {u"凛", u"リン", u"rin", 20},
    {u"芽依", u"メイ", u"mei", 15},          {u"久美子", u"クミコ", u"kumiko", 30},
};

constexpr QStringView PrefectureList[] = {
    u"北海道", u"青森県", u"岩手県", u"宮城県", u"秋田県", u"山形県", u"福島県", u"茨城県",
    u"栃木県", u"群馬県", u"埼玉県", u"千葉県", u"東京都", u"神奈川県", u"新潟県", u"富山県",
    u"石川県", u"福井県", u"山梨県", u"長野県", u"岐阜県", u"静岡県", u"愛知県", u"三重県",
    u"滋賀県", u"京都府", u"大阪府", u"兵庫県", u"奈良県", u"和歌山県", u"鳥取県", u"島根県",
    u"岡山県", u"広島県", u"山口県", u"徳島県", u"香川県", u"愛媛県", u"高知県", u"福岡県",
    u"佐賀県", u"長崎県", u"熊本県", u"大分県", u"宮崎県", u"鹿児島県", u"沖縄県",
};

// Each prefecture's seat and some of its larger cities (or wards of them).
constexpr Municipality MunicipalityList[] = {
    {0, u"札幌市中央区", u"060", u"011"},   {0, u"函館市", u"040", u"0138"},
    {0, u"旭川市", u"070", u"0166"},        {1, u"青森市", u"030", u"017"},
    {1, u"弘前市", u"036", u"0172"},        {2, u"盛岡市", u"020", u"019"},
    {3, u"仙台市青葉区", u"980", u"022"},   {3, u"石巻市", u"986", u"0225"},
    {4, u"秋田市", u"010", u"018"},         {5, u"山形市", u"990", u"023"},
    {6, u"福島市", u"960", u"024"},         {6, u"郡山市", u"963", u"024"},
    {7, u"水戸市", u"310", u"029"},         {7, u"つくば市", u"305", u"029"},
    {8, u"宇都宮市", u"320", u"028"},       {9, u"前橋市", u"371", u"027"},
    {9, u"高崎市", u"370", u"027"},         {10, u"さいたま市浦和区", u"330", u"048"},
    {10, u"川越市", u"350", u"049"},        {10, u"川口市", u"332", u"048"},
    {11, u"千葉市中央区", u"260", u"043"},  {11, u"船橋市", u"273", u"047"},
    {11, u"柏市", u"277", u"04"},           {12, u"千代田区", u"100", u"03"},
    {12, u"中央区", u"104", u"03"},         {12, u"港区", u"105", u"03"},
    {12, u"新宿区", u"160", u"03"},         {12, u"渋谷区", u"150", u"03"},
    {12, u"世田谷区", u"154", u"03"},       {12, u"練馬区", u"176", u"03"},
    {12, u"八王子市", u"192", u"042"},      {13, u"横浜市中区", u"231", u"045"},
    {13, u"横浜市港北区", u"222", u"045"},  {13, u"川崎市川崎区", u"210", u"044"},
    {13, u"相模原市中央区", u"252", u"042"}, {13, u"藤沢市", u"251", u"0466"},
    {14, u"新潟市中央区", u"951", u"025"},  {14, u"長岡市", u"940", u"0258"},
    {15, u"富山市", u"930", u"076"},        {16, u"金沢市", u"920", u"076"},
    {17, u"福井市", u"910", u"0776"},       {18, u"甲府市", u"400", u"055"},
    {19, u"長野市", u"380", u"026"},        {19, u"松本市", u"390", u"0263"},
    {20, u"岐阜市", u"500", u"058"},        {21, u"静岡市葵区", u"420", u"054"},
    {21, u"浜松市中央区", u"430", u"053"},  {22, u"名古屋市中区", u"460", u"052"},
    {22, u"名古屋市千種区", u"464", u"052"}, {22, u"豊田市", u"471", u"0565"},
    {22, u"岡崎市", u"444", u"0564"},       {23, u"津市", u"514", u"059"},
    {23, u"四日市市", u"510", u"059"},      {24, u"大津市", u"520", u"077"},
    {25, u"京都市中京区", u"604", u"075"},  {25, u"京都市左京区", u"606", u"075"},
    {26, u"大阪市北区", u"530", u"06"},     {26, u"大阪市中央区", u"541", u"06"},
    {26, u"堺市堺区", u"590", u"072"},      {26, u"豊中市", u"560", u"06"},
    {27, u"神戸市中央区", u"650", u"078"},  {27, u"姫路市", u"670", u"079"},
    {27, u"西宮市", u"662", u"0798"},       {28, u"奈良市", u"630", u"0742"},
    {29, u"和歌山市", u"640", u"073"},      {30, u"鳥取市", u"680", u"0857"},
    {31, u"松江市", u"690", u"0852"},       {32, u"岡山市北区", u"700", u"086"},
    {32, u"倉敷市", u"710", u"086"},        {33, u"広島市中区", u"730", u"082"},
    {33, u"福山市", u"720", u"084"},        {34, u"山口市", u"753", u"083"},
    {34, u"下関市", u"750", u"083"},        {35, u"徳島市", u"770", u"088"},
    {36, u"高松市", u"760", u"087"},        {37, u"松山市", u"790", u"089"},
    {38, u"高知市", u"780", u"088"},        {39, u"福岡市博多区", u"812", u"092"},
    {39, u"福岡市中央区", u"810", u"092"},  {39, u"北九州市小倉北区", u"802", u"093"},
    {40, u"佐賀市", u"840", u"0952"},       {41, u"長崎市", u"850", u"095"},
    {42, u"熊本市中央区", u"860", u"096"},  {43, u"大分市", u"870", u"097"},
    {44, u"宮崎市", u"880", u"0985"},       {45, u"鹿児島市", u"890", u"099"},
    {46, u"那覇市", u"900", u"098"},        {46, u"沖縄市", u"904", u"098"},
};

constexpr QStringView TownList[] = {
    u"本町", u"中央", u"栄町", u"緑町", u"旭町", u"幸町", u"若葉", u"東町",
    u"西町", u"南町", u"北町", u"大手町", u"駅前", u"新町", u"寿町", u"桜町",
};

constexpr QStringView CompanyStemList[] = {
    u"日本", u"東洋", u"大和", u"富士", u"三和", u"中央", u"新日本", u"北斗",
    u"太平洋", u"東亜", u"昭和", u"平成", u"光", u"旭", u"丸山", u"松田",
    u"青葉", u"みどり", u"さくら", u"ひかり", u"関東", u"関西", u"九州", u"北海",
};

constexpr QStringView CompanyTradeList[] = {
    u"商事", u"電機", u"建設", u"工業", u"物産", u"食品", u"運輸", u"製作所",
    u"システム", u"技研", u"不動産", u"印刷",
};

}  // namespace

std::span<const Name> Surnames() { return SurnameList; }
std::span<const Name> GivenNames() { return GivenNameList; }
std::span<const QStringView> Prefectures() { return PrefectureList; }
std::span<const Municipality> Municipalities() { return MunicipalityList; }
std::span<const QStringView> Towns() { return TownList; }
std::span<const QStringView> CompanyStems() { return CompanyStemList; }
std::span<const QStringView> CompanyTrades() { return CompanyTradeList; }

}  // namespace generate::dictionary
