// Files that say nothing of their character set and are not UTF-8: each is read in the set it
// is in. The same expectations hold natively and under Wine, whose system tables differ.
#include "InterchangeTestSupport.h"
#include "interchange/Charset.h"
#include "interchange/CharsetDetect.h"
#include "interchange/CsvFormat.h"
#include "interchange/VCardReader.h"

#include <gtest/gtest.h>

namespace {

typedef CContact C;

TEST(CharsetDetectTest, FilesAreReadInTheSetTheirTextIsIn) {
    struct Case {
        const char* pszFile;
        const char* pszCharset;
        const char* pszLastName;
        const char* pszFirstName;
        const char* pszCompany;
        const char* pszNote; // where a second byte 0x5C stands, in the sets that have one
    } const cases[] = {
        {"vcard/v21_shift_jis_no_charset.vcf", kCharsetShiftJis, "山田", "太郎", "表参道ソフト株式会社",
         "ソフトの表示について話しました。"},
        {"vcard/v30_gbk_no_charset.vcf", kCharsetGbk, "王", "小明", "北京海淀科技有限公司", "我们下周在公司见面。"},
        {"vcard/v30_big5_no_charset.vcf", kCharsetBig5, "陳", "大文", "信義電腦股份有限公司", "許先生的電話號碼。"},
        {"vcard/v21_euc_kr_no_charset.vcf", kCharsetEucKr, "김", "민수", "한빛소프트", "다음 주에 회의가 있습니다."},
        {"vcard/v30_windows1251_no_charset.vcf", kCharsetWindows1251, "Иванов", "Пётр", "ООО Ромашка",
         "Позвонить в понедельник."},
        {"csv/shift_jis.csv", kCharsetShiftJis, "山田", "太郎", "表参道ソフト株式会社", "ソフトの表示"},
        {"csv/gbk.csv", kCharsetGbk, "王", "小明", "北京海淀科技有限公司", "我们下周见面"},
        {"csv/big5.csv", kCharsetBig5, "陳", "大文", "信義電腦股份有限公司", "許先生的電話"},
        {"csv/euc_kr.csv", kCharsetEucKr, "김", "민수", "한빛소프트", "다음 주에 회의"},
        {"csv/windows1251.csv", kCharsetWindows1251, "Иванов", "Пётр", "ООО Ромашка", "Позвонить в понедельник"},
        // Few letters above ASCII, which every set would take: the Western set stays.
        {"csv/windows1252_short.csv", kCharsetWindows1252, "Müller", "Hans", "", ""},
        {"csv/outlook_de.csv", kCharsetWindows1252, nullptr, nullptr, nullptr, nullptr},
        {"csv/outlook_fr.csv", kCharsetWindows1252, nullptr, nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszFile);
        const std::string strData = SampleFile(c.pszFile);
        ASSERT_FALSE(strData.empty());
        EXPECT_STREQ(c.pszCharset, DetectCharset(strData));
        if (!c.pszLastName) {
            continue;
        }
        CContactArray contacts;
        CImportReport report;
        CString strError;
        ASSERT_TRUE(ReadSample(c.pszFile, strData, contacts, report, strError)) << strError.GetString();
        ASSERT_EQ(1, contacts.GetSize());
        EXPECT_STREQ(c.pszLastName, contacts[0].FieldAt(C::fieldLastName).GetString());
        EXPECT_STREQ(c.pszFirstName, contacts[0].FieldAt(C::fieldFirstName).GetString());
        EXPECT_STREQ(c.pszCompany, contacts[0].FieldAt(C::fieldCompany).GetString());
        EXPECT_STREQ(c.pszNote, contacts[0].FieldAt(C::fieldNote).GetString());
        EXPECT_EQ(0, report.nReplaced);
        // A set other than the Western one is named, so that a user who sees odd letters knows why.
        std::string strWarnings;
        for (int k = 0; k < static_cast<int>(report.warnings.size()); ++k) {
            strWarnings += report.warnings[k].GetString();
        }
        EXPECT_EQ(c.pszCharset != kCharsetWindows1252, strWarnings.find(c.pszCharset) != std::string::npos)
            << strWarnings;
    }
}

// A name or a word alone, as a CSV cell or a card's only value brings it: even a few bytes are
// not taken for another script, and a Western letter or sign alone stays Western.
TEST(CharsetDetectTest, ShortTextsKeepTheirSet) {
    struct Case {
        const char* pszBytes;
        const char* pszCharset;
    } const cases[] = {
        {"\x93\x63\x92\x86", kCharsetShiftJis},                 // 田中
        {"\xB6\xC0\xB6\xC5 \xC3\xBD\xC4", kCharsetShiftJis},     // half-width katakana
        {"\x82\xB3\x82\xC6\x82\xA4", kCharsetShiftJis},         // さとう
        {"\xD5\xC5\xCE\xB0", kCharsetGbk},                      // 张伟
        {"\xC9\xCF\xBA\xA3\xCA\xD0", kCharsetGbk},              // 上海市
        {"\xAA\x4C\xA7\xD3\xA9\xFA", kCharsetBig5},             // 林志明
        {"\xA5\x78\xA5\x5F", kCharsetBig5},                     // 台北
        {"\xC0\xCC\xBF\xB5\xC8\xF1", kCharsetEucKr},            // 이영희
        {"\xBA\xCE\xBB\xEA", kCharsetEucKr},                    // 부산
        {"\xCE\xEB\xFC\xE3\xE0", kCharsetWindows1251},          // Ольга
        {"\xC7\xC0\xCE", kCharsetWindows1251},                  // ЗАО
        {"Jos\xE9", kCharsetWindows1252},
        {"S\xE3o Jo\xE3o", kCharsetWindows1252},
        {"Gr\xF6\xDF" "e", kCharsetWindows1252},
        {"\x80 5", kCharsetWindows1252}, // the euro sign
        {"\xC9", kCharsetWindows1252},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.pszCharset, DetectCharset(std::string("Name,") + c.pszBytes + "\r\n")) << c.pszBytes;
    }
}

std::string Card(const std::string& strVersion, const std::string& strLines) {
    return "BEGIN:VCARD\r\n" + (strVersion.empty() ? "" : "VERSION:" + strVersion + "\r\n") + strLines +
           "END:VCARD\r\n";
}

// How one card's values come out: the character set a card names elsewhere, base64 text, the
// version that decides folding wherever it stands, folds and backslashes inside characters, and
// an address that is only its label.
TEST(CharsetDetectTest, CardValuesComeOutWhole) {
    const std::string strSjisName = "\x8E\x52\x93\x63;\x91\xBE\x98\x59"; // 山田;太郎
    struct Case {
        const char* pszWhat;
        std::string strData;
        int nContact;
        int nField;
        const char* pszExpected; // stored form
    } const cases[] = {
        // Two cards in two sets, each naming its set on the name only: detection over the
        // whole file would read one of them wrongly.
        {"charset spreads within its card",
         Card("2.1", "N;CHARSET=SHIFT_JIS:" + strSjisName + "\r\nNOTE:\x83\x81\x83\x82\r\n") +
             Card("2.1", "N;CHARSET=WINDOWS-1251:\xC8\xE2\xE0\xED\xEE\xE2;\xCF\xB8\xF2\xF0\r\n"
                         "NOTE;ENCODING=QUOTED-PRINTABLE:=C9\r\n"),
         0, C::fieldNote, "メモ"},
        {"charset spreads to a quoted-printable value",
         Card("2.1", "N;CHARSET=SHIFT_JIS:" + strSjisName + "\r\nNOTE:\x83\x81\x83\x82\r\n") +
             Card("2.1", "N;CHARSET=WINDOWS-1251:\xC8\xE2\xE0\xED\xEE\xE2;\xCF\xB8\xF2\xF0\r\n"
                         "NOTE;ENCODING=QUOTED-PRINTABLE:=C9\r\n"),
         1, C::fieldNote, "Й"},
        {"base64 note, unpadded and with a blank", Card("3.0", "N:Doe;Jo\r\nNOTE;ENCODING=b:R3LDvMOf ZQ\r\n"), 0, C::fieldNote, "Grüße"},
        {"base64 name in a declared set",
         Card("2.1", "N;ENCODING=BASE64;CHARSET=SHIFT_JIS:jlKTYzuRvphZ\r\n"), 0, C::fieldFirstName, "太郎"},
        {"3.0 named last drops the blank of a fold", Card("", "N:Doe;Jo\r\nNOTE:one\r\n two\r\nVERSION:3.0\r\n"), 0,
         C::fieldNote, "onetwo"},
        {"2.1 named last keeps it", Card("", "N:Doe;Jo\r\nNOTE:one\r\n two\r\nVERSION:2.1\r\n"), 0,
         C::fieldNote, "one two"},
        {"2.1 fold inside a UTF-8 character", Card("2.1", "N:Doe;Jo\r\nNOTE;CHARSET=UTF-8:caf\xC3\r\n \xA9 noir\r\n"),
         0, C::fieldNote, "café noir"},
        {"2.1 fold inside a Shift_JIS character",
         Card("2.1", "N:Doe;Jo\r\nNOTE;CHARSET=SHIFT_JIS:\x83\x81\x83\r\n \x82\r\n"), 0, C::fieldNote, "メモ"},
        {"soft break inside a UTF-8 character",
         Card("2.1", "N:Doe;Jo\r\nNOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:caf=C3=\r\n=A9\r\n"), 0,
         C::fieldNote, "café"},
        // ソ and 表 end in 0x5C: neither escapes the semicolon after it nor joins the next line.
        {"Shift_JIS second byte 0x5C is no escape",
         Card("3.0", "N:\x83\x5C;\x91\xBE\x98\x59\r\nNOTE:\x95\x5C\x8E\xA6\r\n"), 0, C::fieldLastName, "ソ"},
        {"Shift_JIS second byte 0x5C at a line's end",
         Card("2.1", "N;CHARSET=SHIFT_JIS:" + strSjisName + "\r\nNOTE;CHARSET=SHIFT_JIS:\x95\x5C\r\nnext\r\n"), 0,
         C::fieldNote, "表"},
        {"address only as its label",
         Card("4.0", "FN:Jo Doe\r\nADR;TYPE=home;LABEL=\"123 Main St\\nSpringfield\":;;;;;;\r\n"), 0,
         C::fieldHomeAddress, "123 Main St\\r\\nSpringfield"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CContactArray contacts;
        CImportReport report;
        CString strError;
        ASSERT_TRUE(ReadVCards(c.strData, "in.vcf", contacts, report, strError));
        ASSERT_LT(c.nContact, contacts.GetSize());
        EXPECT_STREQ(c.pszExpected, contacts[c.nContact].FieldAt(c.nField).GetString());
        EXPECT_EQ(0, report.nPhotosSkipped);
    }
}

} // namespace
