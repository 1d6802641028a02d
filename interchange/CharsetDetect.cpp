#include "CharsetDetect.h"

#include "Charset.h"

#include "framework/core/String.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <string>
#include <vector>

const char kCharsetWindows1252[] = "Windows-1252";
const char kCharsetWindows1251[] = "Windows-1251";
const char kCharsetShiftJis[] = "Shift_JIS";
const char kCharsetGbk[] = "GBK";
const char kCharsetBig5[] = "Big5";
const char kCharsetEucKr[] = "EUC-KR";

namespace {

// Enough lines to tell any language, few enough that six readings of them stay quick.
const size_t kMaxSampleBytes = 64 * 1024;

// Weights per character; a double-byte character takes two bytes, so its weights are about twice
// those of a letter of a single-byte set.
const int kFrequent = 6;     // one of the language's most frequent characters
const int kKana = 4;         // Japanese syllables, which no other of these languages writes
const int kLikely = 1;       // punctuation and forms of the set's own script
const int kLetter = 2;       // a letter of a single-byte set where a word of its script has it
const int kUnlikely = -2;    // a letter out of place: an accented letter inside a Cyrillic word
const int kNotInSet = -8;    // a byte the set has no character for, or a private-use character

// The most frequent characters of each language in names, addresses and everyday text.
const char kFrequentJapanese[] =
    "日本人一大年中出見生会上子自事分方田山東京都府県市区町村丁目番地号川本木村井藤佐鈴高橋渡辺伊加"
    "小林吉松清水野石原森池島岡口下谷新宮内長前後所場社株式有限員部課様電話住月火水金土曜時間者行来"
    "同手名国学校先今回入作用気何私物北南西和千代美子郎太一二三四五六七八九十百万円駅通西条道沢浜"
    "恵愛真由香奈花菜結翔翼悠拓健誠博隆浩明正幸秀雄夫治弘裕達也斎斉遠近久保崎岩坂松竹梅菊桜福広熊"
    "沖縄阪良兵庫静埼玉葉神横浜古屋札幌仙台";
const char kFrequentSimplified[] =
    "的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过家学对可"
    "她里后小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头面公同三"
    "已老从动两长知民样现分将外但身些与高意进把法此实回二理美点月明其种声全工己话儿者向情部正名定女"
    "问力机给等几很业最间新什打便位因重被走电四第门相次东政海口使教西再平真听世气信北少关并内加化由"
    "代军产入先山五太水万市体别处总才场师书比住员九性通目华报立马命张活安表原车白应路期常金何更反合"
    "放做系计或司利受光王果亲界及今京务制解各任至清物台记边共风许八特直服林题建南度统色字请交爱让认"
    "算百义科元社术结六功指思非流每青管夫连远资队带花快条院变联言权往展该领传近留红治决周保达办运武"
    "半七城父强步完深区求品士转量空众技程告江语英基满式李写识极令黄德收钱取设始版双历史商千片容研像"
    "友孩站广改议形委早房音火际则首单据影失网香似专石若兵弟校读志飞观争究包组造视济喜离兴切府选省街"
    "村号楼室陈刘杨赵吴徐孙胡朱郭罗梁宋郑谢韩唐冯董萧曹袁邓傅沈曾彭吕苏卢蒋蔡贾丁魏薛叶阎余潘杜戴"
    "夏钟汪田任姜范姚谭廖邹熊陆郝孔崔康毛邱秦史顾侯邵孟龙段汤尹黎易常乔贺赖龚海淀村州湖广深圳"
    "伟芳娜敏静丽磊洋勇艳杰娟涛超秀霞刚桂玉兰萍燕鹏辉宇浩凯健俊帆帅旭宁琳婷晨欣怡雪梅莉慧颖倩丹玲"
    "志宏豪雅";
const char kFrequentTraditional[] =
    "的一是不了人我在有他這中大來上國個到說們為子和你地出道也時年得就那要下以生會自著去之過家學對可"
    "她裡後小麼心多天而能好都然沒日於起還發成事只作當想看文無開手十用主行方又如前所本見經頭面公同三"
    "已老從動兩長知民樣現分將外但身些與高意進把法此實回二理美點月明其種聲全工己話兒者向情部正名定女"
    "問力機給等幾很業最間新什打便位因重被走電四第門相次東政海口使教西再平真聽世氣信北少關並內加化由"
    "代軍產入先山五太水萬市體別處總才場師書比住員九性通目華報立馬命張活安表原車白應路期常金何更反合"
    "放做系計或司利受光王果親界及今京務制解各任至清物台臺灣記邊共風許八特直服林題建南度統色字請交愛"
    "讓認算百義科元社術結六功指思非流每青管夫連遠資隊帶花快條院變聯言權往展該領傳近留紅治決周保達辦"
    "運武半七城父強步完深區求品士轉量空眾技程告江語英基滿式李寫識極令黃德收錢取設始版雙歷史商千片容"
    "研像友孩站廣改議形委早房音火際則首單據影失網香似專石若兵弟校讀志飛觀爭究包組造視濟喜離興切府選"
    "省街村號樓室陳劉楊趙吳徐孫胡朱郭羅梁宋鄭謝韓唐馮董蕭曹袁鄧傅沈曾彭呂蘇盧蔣蔡賈丁魏薛葉閻余潘杜"
    "戴夏鍾汪田任姜范姚譚廖鄒熊陸郝孔崔康毛邱秦史顧侯邵孟龍段湯尹黎易常喬賀賴龔信義段巷弄鄉鎮縣港"
    "偉芳娜敏靜麗磊洋勇豔傑娟濤超秀霞剛桂玉蘭萍燕鵬輝宇浩凱健俊帆帥旭寧琳婷晨欣怡雪梅莉慧穎倩丹玲"
    "志宏豪雅";
const char kFrequentKorean[] =
    "이다는의에하고을를가지서한기사리정대로시도수자해국있인그나아어요게것라니보면우주전일원들으상제장"
    "구신동부연성방여공거적소문위경미화중만계무선년학결모관회물개생명실발오내러마진조분합각비김박최강"
    "윤임서권황안송류홍손배백허남심노곽차민유엄채천현함변염양추석설길표반왕금옥육맹탁용예봉복태목형"
    "피두감음빈온호범좌팽승간갈단견당창영희철숙혜은선아름빛래슬별울특별광역군읍면리길번층파트빌딩한"
    "민울산세종경기강원충북남전제주시청님께드림합니다입니다회사대표";

bool IsBetween(unsigned c, unsigned nFirst, unsigned nLast) { return c >= nFirst && c <= nLast; }

// A sorted list of the code points of a UTF-8 text, made once.
std::vector<unsigned> CodePointsOf(const char* pszText) {
    std::vector<unsigned> points;
    std::string_view text(pszText);
    for (size_t i = 0; i < text.size();) {
        points.push_back(DecodeUtf8(text, i));
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

bool IsIn(const std::vector<unsigned>& points, unsigned c) {
    return std::binary_search(points.begin(), points.end(), c);
}

bool IsCjkSymbolOrFullWidth(unsigned c) { return IsBetween(c, 0x3000, 0x303F) || IsBetween(c, 0xFF01, 0xFF5E); }
bool IsGreekOrCyrillic(unsigned c) { return IsBetween(c, 0x0370, 0x04FF); }
bool IsPrivateUse(unsigned c) { return IsBetween(c, 0xE000, 0xF8FF); }

// The weight of one character of a double-byte set's reading. Other ideographs weigh nothing:
// every reading of such bytes gives many, and only the frequent ones tell the language.
bool IsHalfWidthKana(unsigned c) { return IsBetween(c, 0xFF61, 0xFF9F); }

int DoubleByteWeight(DoubleByteSet set, unsigned c, unsigned cBefore) {
    static const std::vector<unsigned> s_japanese = CodePointsOf(kFrequentJapanese);
    static const std::vector<unsigned> s_simplified = CodePointsOf(kFrequentSimplified);
    static const std::vector<unsigned> s_traditional = CodePointsOf(kFrequentTraditional);
    static const std::vector<unsigned> s_korean = CodePointsOf(kFrequentKorean);
    if (IsPrivateUse(c)) {
        return kNotInSet;
    }
    if (IsCjkSymbolOrFullWidth(c)) {
        return kLikely;
    }
    switch (set) {
    case DoubleByteSet::shiftJis:
        // U+30FB, the middle dot, is also what Windows gives for a byte 932 does not hold.
        if (IsBetween(c, 0x3041, 0x3096) || IsBetween(c, 0x30A1, 0x30FA) || c == 0x30FC) {
            return kKana;
        }
        if (IsHalfWidthKana(c)) {
            // Half-width katakana, one byte each, are words of several; one alone is more
            // likely a letter of another set.
            return IsHalfWidthKana(cBefore) ? kLikely : 0;
        }
        return IsIn(s_japanese, c) ? kFrequent : IsGreekOrCyrillic(c) ? kUnlikely : 0;
    case DoubleByteSet::gbk: return IsIn(s_simplified, c) ? kFrequent : IsGreekOrCyrillic(c) ? kUnlikely : 0;
    case DoubleByteSet::big5: return IsIn(s_traditional, c) ? kFrequent : IsGreekOrCyrillic(c) ? kUnlikely : 0;
    case DoubleByteSet::korean: return IsIn(s_korean, c) ? kFrequent : IsGreekOrCyrillic(c) ? kUnlikely : 0;
    case DoubleByteSet::none: break;
    }
    return 0;
}

bool IsAsciiLetter(unsigned c) { return IsBetween(c, 'A', 'Z') || IsBetween(c, 'a', 'z'); }

// The letters above ASCII that Windows-1252 (bCyrillic false) or Windows-1251 holds.
bool IsHighLetter(unsigned c, bool bCyrillic) {
    if (bCyrillic) {
        return IsBetween(c, 0x0400, 0x045F) || c == 0x0490 || c == 0x0491;
    }
    return (IsBetween(c, 0x00C0, 0x00FF) && c != 0x00D7 && c != 0x00F7) || c == 0x0152 || c == 0x0153 ||
           c == 0x0160 || c == 0x0161 || c == 0x0178 || c == 0x017D || c == 0x017E || c == 0x0192 ||
           c == 0x00AA || c == 0x00BA;
}

// The Cyrillic letters of Russian and Ukrainian; Windows-1251's others (Serbian, Macedonian,
// Belarusian) are what the bytes of other sets most often read as in it.
bool IsCommonCyrillic(unsigned c) {
    return IsBetween(c, 0x0410, 0x044F) || c == 0x0401 || c == 0x0451 || c == 0x0404 || c == 0x0454 ||
           c == 0x0406 || c == 0x0456 || c == 0x0407 || c == 0x0457 || c == 0x0490 || c == 0x0491;
}

bool IsCyrillicCapital(unsigned c) { return IsBetween(c, 0x0400, 0x042F) || c == 0x0490; }

// A single-byte reading, word by word: accented Latin letters stand among ASCII letters or in
// short words ("à"), Cyrillic letters in words of Cyrillic letters alone, and never a capital
// after a small letter, as the bytes of a double-byte set read in Windows-1251 often give.
int SingleByteScore(const std::string& strText, bool bCyrillic) {
    int nScore = 0;
    int nHigh = 0, nAscii = 0, nRare = 0;
    bool bCapitalAfterSmall = false, bLastSmall = false;
    unsigned cLastHigh = 0;
    auto endWord = [&]() {
        // A word of one letter alone is a small one ("à", "é", "в", "с"); a capital alone tells
        // nothing.
        bool bAlone = nAscii == 0 && nHigh == 1;
        bool bSmall = bCyrillic ? !IsCyrillicCapital(cLastHigh) : IsBetween(cLastHigh, 0xE0, 0xFF);
        bool bFits = bAlone ? bSmall : bCyrillic ? nAscii == 0 && !bCapitalAfterSmall : nAscii > 0;
        nScore += bFits ? (nHigh - nRare) * kLetter : bAlone ? 0 : nHigh * kUnlikely;
        nHigh = nAscii = nRare = 0;
        bCapitalAfterSmall = bLastSmall = false;
    };
    for (size_t i = 0; i < strText.size();) {
        unsigned c = DecodeUtf8(strText, i);
        if (IsAsciiLetter(c)) {
            ++nAscii;
        } else if (IsHighLetter(c, bCyrillic)) {
            ++nHigh;
            cLastHigh = c;
            if (bCyrillic) {
                nRare += IsCommonCyrillic(c) ? 0 : 1;
                bCapitalAfterSmall = bCapitalAfterSmall || (bLastSmall && IsCyrillicCapital(c));
                bLastSmall = !IsCyrillicCapital(c);
            }
        } else {
            endWord();
            if (IsBetween(c, 0x80, 0x9F) || c == 0xFFFD || c == kInvalidUtf8) {
                nScore += kNotInSet; // a control character, or a byte the set lacks
            }
        }
    }
    endWord();
    return nScore;
}

bool IsTrail(DoubleByteSet set, unsigned char b) {
    switch (set) {
    case DoubleByteSet::shiftJis: return IsBetween(b, 0x40, 0x7E) || IsBetween(b, 0x80, 0xFC);
    case DoubleByteSet::gbk: return IsBetween(b, 0x40, 0x7E) || IsBetween(b, 0x80, 0xFE);
    case DoubleByteSet::big5: return IsBetween(b, 0x40, 0x7E) || IsBetween(b, 0xA1, 0xFE);
    case DoubleByteSet::korean: return IsBetween(b, 0x41, 0x5A) || IsBetween(b, 0x61, 0x7A) || IsBetween(b, 0x81, 0xFE);
    case DoubleByteSet::none: break;
    }
    return false;
}

bool IsLead(DoubleByteSet set, unsigned char b) {
    switch (set) {
    case DoubleByteSet::shiftJis: return IsBetween(b, 0x81, 0x9F) || IsBetween(b, 0xE0, 0xFC);
    case DoubleByteSet::gbk:
    case DoubleByteSet::big5:
    case DoubleByteSet::korean: return IsBetween(b, 0x81, 0xFE);
    case DoubleByteSet::none: break;
    }
    return false;
}

// The bytes that fit no character of the set by its lead and trail bytes alone: the same count
// in both builds, whatever their tables say of a character that is not assigned.
int BrokenCharacters(DoubleByteSet set, std::string_view str) {
    int nBroken = 0;
    for (size_t i = 0; i < str.size();) {
        unsigned char b = static_cast<unsigned char>(str[i]);
        size_t nLength = CharacterLength(set, str, i);
        bool bSingle = b < 0x80 || (set == DoubleByteSet::shiftJis && IsBetween(b, 0xA1, 0xDF));
        nBroken += nLength == 1 && !bSingle ? 1 : 0;
        i += nLength;
    }
    return nBroken;
}

int Score(const char* pszCharset, const std::string& strSample) {
    std::string strText;
    CharsetToUtf8(pszCharset, strSample, strText); // a byte outside the set reads as U+FFFD
    DoubleByteSet set = DoubleByteSetOf(pszCharset);
    if (set == DoubleByteSet::none) {
        return SingleByteScore(strText, pszCharset == kCharsetWindows1251);
    }
    int nScore = BrokenCharacters(set, strSample) * kNotInSet;
    for (size_t i = 0, cBefore = 0; i < strText.size();) {
        unsigned c = DecodeUtf8(strText, i);
        nScore += DoubleByteWeight(set, c, static_cast<unsigned>(cBefore));
        cBefore = c;
    }
    return nScore;
}

// The lines of the text that are not UTF-8, up to the sample's size.
std::string SampleOf(std::string_view strBytes) {
    std::string strSample;
    for (size_t nStart = 0; nStart < strBytes.size() && strSample.size() < kMaxSampleBytes;) {
        size_t nEnd = std::min(strBytes.find('\n', nStart), strBytes.size());
        std::string_view strLine = strBytes.substr(nStart, nEnd - nStart);
        if (!IsValidUtf8(strLine)) {
            strSample.append(strLine.data(), std::min(strLine.size(), kMaxSampleBytes));
            strSample += '\n';
        }
        nStart = nEnd + 1;
    }
    return strSample;
}

} // namespace

const char* DetectCharset(std::string_view strBytes) {
    const std::string strSample = SampleOf(strBytes);
    // In this order on a tie, so that text that fits nothing better stays Windows-1252.
    const char* const candidates[] = {kCharsetWindows1252, kCharsetShiftJis, kCharsetGbk,
                                      kCharsetBig5,        kCharsetEucKr,    kCharsetWindows1251};
    const char* pszBest = kCharsetWindows1252;
    int nBest = 0;
    bool bFirst = true;
    for (const char* pszCharset : candidates) {
        int nScore = Score(pszCharset, strSample);
        if (bFirst || nScore > nBest) {
            pszBest = pszCharset;
            nBest = nScore;
            bFirst = false;
        }
    }
    return pszBest;
}

DoubleByteSet DoubleByteSetOf(std::string_view strCharset) {
    CString strName(std::string(strCharset).c_str());
    strName.MakeUpper();
    struct Entry {
        const char* pszName;
        DoubleByteSet set;
    };
    static const Entry s_entries[] = {
        {"SHIFT_JIS", DoubleByteSet::shiftJis}, {"SHIFT-JIS", DoubleByteSet::shiftJis},
        {"SJIS", DoubleByteSet::shiftJis},      {"CP932", DoubleByteSet::shiftJis},
        {"WINDOWS-31J", DoubleByteSet::shiftJis}, {"MS_KANJI", DoubleByteSet::shiftJis},
        {"GBK", DoubleByteSet::gbk},            {"GB2312", DoubleByteSet::gbk},
        {"GB18030", DoubleByteSet::gbk},        {"CP936", DoubleByteSet::gbk},
        {"BIG5", DoubleByteSet::big5},          {"BIG-5", DoubleByteSet::big5},
        {"CP950", DoubleByteSet::big5},         {"EUC-KR", DoubleByteSet::korean},
        {"CP949", DoubleByteSet::korean},       {"UHC", DoubleByteSet::korean},
        {"KS_C_5601-1987", DoubleByteSet::korean},
    };
    for (const Entry& entry : s_entries) {
        if (strName == entry.pszName) {
            return entry.set;
        }
    }
    return DoubleByteSet::none;
}

size_t CharacterLength(DoubleByteSet set, std::string_view str, size_t i) {
    unsigned char b = static_cast<unsigned char>(str[i]);
    if (!IsLead(set, b) || i + 1 >= str.size()) {
        return 1;
    }
    unsigned char b2 = static_cast<unsigned char>(str[i + 1]);
    if (set == DoubleByteSet::gbk && IsBetween(b2, 0x30, 0x39)) {
        // GB18030's four-byte form: lead, digit, lead, digit.
        bool bFour = i + 3 < str.size() && IsLead(set, static_cast<unsigned char>(str[i + 2])) &&
                     IsBetween(static_cast<unsigned char>(str[i + 3]), 0x30, 0x39);
        return bFour ? 4 : 1;
    }
    return IsTrail(set, b2) ? 2 : 1;
}

namespace {

// Where a walk over str's last characters may start: after the last byte below 0x30, which
// is a character of its own in every double-byte set (GB18030 uses digits inside its four-byte
// forms), or a bounded way back.
size_t WalkStart(std::string_view str) {
    const size_t kMaxWalk = 4096; // a line of nothing but double-byte characters is not walked whole
    size_t nStop = str.size() > kMaxWalk ? str.size() - kMaxWalk : 0;
    for (size_t i = str.size(); i > nStop; --i) {
        if (static_cast<unsigned char>(str[i - 1]) < 0x30) {
            return i;
        }
    }
    return nStop;
}

} // namespace

bool EndsInsideCharacter(DoubleByteSet set, std::string_view str) {
    if (set == DoubleByteSet::none || str.empty()) {
        return false;
    }
    size_t i = WalkStart(str);
    while (i + 1 < str.size()) {
        i += CharacterLength(set, str, i);
    }
    return i + 1 == str.size() && IsLead(set, static_cast<unsigned char>(str[i]));
}

bool EndsWithLoneBackslash(DoubleByteSet set, std::string_view str) {
    size_t nRun = 0;
    if (set == DoubleByteSet::none) {
        while (nRun < str.size() && str[str.size() - 1 - nRun] == '\\') {
            ++nRun;
        }
        return nRun % 2 == 1;
    }
    for (size_t i = WalkStart(str); i < str.size();) {
        size_t nLength = CharacterLength(set, str, i);
        nRun = nLength == 1 && str[i] == '\\' ? nRun + 1 : 0;
        i += nLength;
    }
    return nRun % 2 == 1;
}
