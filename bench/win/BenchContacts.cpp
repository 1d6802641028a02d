#include "BenchContacts.h"

#include <algorithm>
#include <random>

namespace {

// A few surnames shared by many people, as in any real address book, plus some with letters of
// code page 1252 (0xE4 a umlaut, 0xE9 e acute, 0xF6 o umlaut, 0xFC u umlaut, 0xE7 c cedilla,
// 0xF8 o slash, 0x9A s caron).
const char* const kLastNames[] = {
    "Miller",
    "Taylor",
    "Anderson",
    "Thomas",
    "Jackson",
    "White",
    "Harris",
    "Martin",
    "Thompson",
    "Robinson",
    "Clark",
    "Lewis",
    "Walker",
    "Hall",
    "Young",
    "Allen",
    "Wright",
    "Scott",
    "Green",
    "Baker",
    "Adams",
    "Nelson",
    "Hill",
    "Campbell",
    "Mitchell",
    "Roberts",
    "Carter",
    "Phillips",
    "Evans",
    "Turner",
    "Torres",
    "Parker",
    "Collins",
    "Edwards",
    "Stewart",
    "Morris",
    "Rogers",
    "Reed",
    "Cook",
    "Morgan",
    "Bell",
    "Murray",
    "Cooper",
    "Richards",
    "Cox",
    "Ward",
    "Peterson",
    "Gray",
    "Schr\xF6"
    "der",
    "Gr\xE4"
    "f",
    "B\xE9"
    "rard",
    "Fran\xE7"
    "ais",
    "L\xF8"
    "vstad",
    "D\xFC"
    "rr",
    "Ho\x9A"
    "ek",
    "O'Neill",
    "MacDonald",
    "van der Berg",
    "de la Cruz",
    "St. John",
    "Nguyen",
    "Kim",
};

const char* const kFirstNames[] = {
    "James",
    "Mary",
    "John",
    "Patricia",
    "Robert",
    "Jennifer",
    "Michael",
    "Linda",
    "William",
    "Susan",
    "David",
    "Karen",
    "Richard",
    "Nancy",
    "Joseph",
    "Lisa",
    "Thomas",
    "Betty",
    "Paul",
    "Sandra",
    "Mark",
    "Ashley",
    "Steven",
    "Emily",
    "Andrew",
    "Donna",
    "Kenneth",
    "Ren\xE9"
    "e",
    "J\xF6"
    "rg",
    "Chlo\xE9",
    "S\xF8"
    "ren",
    "Fran\xE7"
    "ois",
    "Zo\xEB",
    "Ana",
    "Li",
    "Jo",
};

const char* const kNicknames[] = {"Jim", "Bobby", "Liz", "Sandy", "Doc", "Ace", "Kiki", "Bear"};
const char* const kCompanies[] = {
    "Harbor Freight Lines",
    "Riverside Dental Clinic",
    "Oakwood Primary School",
    "Lindqvist & Partner",
    "Blue Ridge Software",
    "M\xFC"
    "ller Bau GmbH",
    "City Library",
    "Northwind Travel",
    "Caf\xE9 Lumi\xE8"
    "re",
    "Summit Insurance",
    "Greenleaf Nursery",
    "Atlas Removals Ltd.",
};
const char* const kJobTitles[] = {"Director",  "Dentist",        "Teacher",   "Accountant",
                                  "Developer", "Nurse",          "Librarian", "Sales Representative",
                                  "Plumber",   "Project Manager"};
const char* const kStreets[] = {"Elm Street",
                                "Mill Lane",
                                "Station Road",
                                "Church Walk",
                                "Park Avenue",
                                "K\xF6"
                                "nigsallee",
                                "Rue des Lilas",
                                "Harbour View"};
const char* const kTowns[] = {"Springfield IL 62704", "Leeds LS1 4DY", "3011 Bern",     "69002 Lyon",
                              "Portland OR 97205",    "20095 Hamburg", "8000 Aarhus C", "Galway H91"};
const char* const kDomains[] = {"example.com", "example.org", "example.net", "post.example"};
const char* const kNotes[] = {
    "Birthday in June",   "Prefers calls after 6 pm", "Met at the &quote;Spring Fair&quote;",
    "Has our spare key",  "Send a card at New Year",  "Allergic to cats",
    "Moved here in 2019", "Plays the cello",
};

// The stored form of a line break in the multi-line fields: the four characters \r\n.
const char kStoredLineBreak[] = "\\r\\n";

class CContactMaker {
public:
    explicit CContactMaker(unsigned nSeed) : m_rng(nSeed) {}

    CContact Make() {
        CContact c;
        // Names nearly always; the rest about half the time, as people fill in what they know.
        if (Percent(96)) {
            c.lastname = AnyCase(Pick(kLastNames));
        }
        if (Percent(88)) {
            c.firstname = AnyCase(Pick(kFirstNames));
        }
        if (Percent(12)) {
            c.nickname = Pick(kNicknames);
        }
        bool bWorks = Percent(50);
        if (bWorks) {
            c.company = Pick(kCompanies);
            if (Percent(60)) {
                c.jobtitle = Pick(kJobTitles);
            }
        }
        if (Percent(60)) {
            c.homephone = Phone();
        }
        if (Percent(70)) {
            c.mobile = "07" + Digits(3) + " " + Digits(6);
        }
        if (Percent(60)) {
            c.homeemail = MailAddress(c);
        }
        if (Percent(10)) {
            c.homewww = "http://www." + Digits(4) + "." + Pick(kDomains);
        }
        if (Percent(55)) {
            c.homeaddress = PostalAddress();
        }
        if (bWorks) {
            if (Percent(75)) {
                c.officephone = Phone();
            }
            if (Percent(30)) {
                c.officefax = Phone();
            }
            if (Percent(70)) {
                c.officeemail = MailAddress(c);
            }
            if (Percent(40)) {
                c.officewww = CString("http://www.") + Pick(kDomains);
            }
            if (Percent(60)) {
                c.officeaddress = PostalAddress();
            }
        }
        if (Percent(45)) {
            c.note = Pick(kNotes);
            if (Percent(30)) {
                c.note += kStoredLineBreak;
                c.note += Pick(kNotes);
            }
        }
        return c;
    }

private:
    bool Percent(unsigned nPercent) { return m_rng() % 100 < nPercent; }

    template <size_t N> const char* Pick(const char* const (&pool)[N]) { return pool[m_rng() % N]; }

    // Most names as typed properly, some all lower case, a few all upper case: the same name
    // several ways, which the list's order treats as equal.
    CString AnyCase(const char* pszName) {
        CString strName(pszName);
        unsigned nKind = m_rng() % 20;
        if (nKind < 4) {
            strName.MakeLower();
        } else if (nKind < 6) {
            strName.MakeUpper();
        }
        return strName;
    }

    CString Digits(int nCount) {
        CString strDigits;
        for (int i = 0; i < nCount; ++i) {
            strDigits += static_cast<char>('0' + m_rng() % 10);
        }
        return strDigits;
    }

    CString Phone() { return "(0" + Digits(3) + ") " + Digits(3) + "-" + Digits(4); }

    CString MailAddress(const CContact& c) {
        CString strLocal = c.firstname.IsEmpty() ? CString("contact") : c.firstname;
        if (!c.lastname.IsEmpty()) {
            strLocal += "." + c.lastname;
        }
        strLocal.MakeLower();
        strLocal.Replace(' ', '_');
        strLocal.Replace('\'', '_');
        return strLocal + "@" + Pick(kDomains);
    }

    CString PostalAddress() {
        CString strAddress;
        strAddress.Format("%u %s", static_cast<unsigned>(1 + m_rng() % 240), Pick(kStreets));
        strAddress += kStoredLineBreak;
        strAddress += Pick(kTowns);
        return strAddress;
    }

    std::mt19937 m_rng;
};

} // namespace

CContactArray MakeBenchContacts(int nCount, unsigned nSeed) {
    CContactMaker maker(nSeed);
    CContactArray contacts;
    contacts.Reserve(nCount);
    for (int i = 0; i < nCount; ++i) {
        CContact contact = maker.Make();
        contact.id = i;
        contacts.Add(std::move(contact));
    }
    return contacts;
}

double Median(std::vector<double> samples) {
    if (samples.empty()) {
        return 0;
    }
    std::sort(samples.begin(), samples.end());
    size_t nMiddle = samples.size() / 2;
    return samples.size() % 2 ? samples[nMiddle] : (samples[nMiddle - 1] + samples[nMiddle]) / 2;
}
