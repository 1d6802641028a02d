#include "BenchContacts.h"

#include <random>

namespace {

// Word pools, in UTF-8, with the letters of European names beyond ASCII (e acute, u diaeresis,
// S caron, sharp s, c cedilla, o slash and the like).
const char* const kLastNames[] = {
    "Brown",
    "Smith",
    "M\xC3\xBCller",
    "\xC5\xA0"
    "imunek",
    "Lef\xC3\xA8vre",
    "Gon\xC3\xA7"
    "alves",
    "Novak",
    "Meyer",
    "Schmidt",
    "Dubois",
    "Rossi",
    "Jensen",
    "Hansen",
    "Nielsen",
    "Svensson",
    "Kowalski",
    "Horvat",
    "Garc\xC3\xAD"
    "a",
    "Mart\xC3\xADnez",
    "L\xC3\xB3pez",
    "Andersson",
    "J\xC3\xB8rgensen",
    "\xC3\x89tienne",
    "O'Brien",
    "Murphy",
    "Kelly",
    "Walsh",
    "Byrne",
    "Fischer",
    "Weber",
    "Wagner",
    "Becker",
    "Sch\xC3\xA4"
    "fer",
    "Koch",
    "Richter",
    "Klein",
    "Wolf",
    "Neumann",
    "Schwarz",
    "Zimmermann",
    "Braun",
    "Kr\xC3\xBCger",
    "Hofmann",
    "Hartmann",
    "Lange",
    "Werner",
    "Krause",
    "Lehmann",
    "K\xC3\xB6hler",
    "Fournier",
    "Girard",
    "Bonnet",
    "Lambert",
    "Fontaine",
    "Chevalier",
    "Fran\xC3\xA7"
    "ois",
    "Leclerc",
    "Mercier",
    "Blanc",
    "Gu\xC3\xA9rin",
    "Moreau",
    "Laurent",
    "van Dijk",
    "de Vries",
    "Bakker",
    "Visser",
    "Smit",
    "Mulder",
    "de Boer",
    "Bos",
    "Vos",
    "Peters",
    "Hendriks",
    "Dekker",
    "Brouwer",
    "de Wit",
    "Dijkstra",
    "Kuipers",
};
const char* const kFirstNames[] = {
    "Anna",
    "Bob",
    "Clara",
    "David",
    "\xC3\x89lise",
    "Frank",
    "Greta",
    "Hugo",
    "Ines",
    "Jan",
    "Karin",
    "Lukas",
    "Marie",
    "Nils",
    "Olga",
    "Paul",
    "Quentin",
    "Rosa",
    "Stefan",
    "Tereza",
    "Ulrich",
    "Vera",
    "Walter",
    "Xenia",
    "Yusuf",
    "Zo\xC3\xAB",
    "J\xC3\xBCrgen",
    "Ren\xC3\xA9",
    "Andr\xC3\xA9",
    "\xC5\xA0"
    "t\xC3\xAC"
    "p\xC3\xA1n",
    "Bj\xC3\xB6rn",
    "Fran\xC3\xA7"
    "oise",
    "Ana",
    "Mia",
    "Leon",
    "Emma",
    "Noah",
    "Lina",
    "Ben",
    "Lea",
};
const char* const kNicknames[] = {"Bobby", "Annie", "Doc", "Chief", "Ziggy", "Kiki", "J.J.", "Max", "L\xC3\xA9o"};
const char* const kCompanies[] = {
    "Nordlicht Logistik GmbH",
    "Caf\xC3\xA9 Central",
    "Bergmann & S\xC3\xB6hne",
    "Westwind Consulting",
    "Blue Harbour Ltd.",
    "Atelier Lumi\xC3\xA8re",
    "Stadtwerke Ostheim",
    "Kranich Software AG",
    "Pi\xC3\xB1"
    "ata Events S.L.",
    "\xC5\xA0koda & Partner",
    "Greenfield Farms",
    "Hotel Z\xC3\xBCrichsee",
};
const char* const kJobTitles[] = {
    "Managing Director", "Sales Manager",   "Engineer",   "Accountant",   "Teacher",  "Physician",
    "Architect",         "Chef de cuisine", "Consultant", "Project Lead", "Designer", "Sekret\xC3\xA4rin",
};
const char* const kStreets[] = {
    "Hauptstra\xC3\x9F"
    "e",
    "Bahnhofstra\xC3\x9F"
    "e",
    "Rue de la Paix",
    "High Street",
    "Kirchweg",
    "Am M\xC3\xBChlbach",
    "Via Roma",
    "Kungsgatan",
    "Lindenallee",
    "Chemin des \xC3\x89"
    "coles",
};
const char* const kCities[] = {
    "10115 Berlin",
    "80331 M\xC3\xBCnchen",
    "50667 K\xC3\xB6ln",
    "8001 Z\xC3\xBCrich",
    "75001 Paris",
    "1010 Wien",
    "211 20 Malm\xC3\xB6",
    "22000 \xC5\xA0"
    "ibenik",
    "SW1A 1AA London",
    "00184 Roma",
};
const char* const kCountries[] = {"Germany", "Switzerland", "France", "Austria",
                                  "Sweden",  "Croatia",     "UK",     "Italy"};
const char* const kNoteLines[] = {
    "Met at &quote;Expo&quote; 2019",
    "Prefers e-mail",
    "Birthday 12 March",
    "Kids: Lena, Max",
    "Call back after 5 pm",
    "Vegetarian",
    "Speaks French and German",
    "Old school friend",
    "Owes me a book",
    "Christmas card list",
    "Allergic to nuts",
    "New address since May",
};
const char* const kDomains[] = {"example.com", "example.org", "example.net", "mail.example", "web.example"};

template <typename T, size_t N> const char* Pick(std::mt19937& rng, T (&pool)[N]) {
    return pool[rng() % N];
}

bool Chance(std::mt19937& rng, unsigned nPercent) {
    return rng() % 1000 < nPercent * 10;
}

CString Digits(std::mt19937& rng, int nCount) {
    CString s;
    for (int i = 0; i < nCount; ++i) {
        s += static_cast<char>('0' + rng() % 10);
    }
    return s;
}

CString Phone(std::mt19937& rng) {
    return "+49 " + Digits(rng, 2) + " " + Digits(rng, 4) + " " + Digits(rng, 3);
}

// Lower case in a fifth of the cases, upper case in a tenth: the same name as others would
// type it, which the sort must treat as equal.
CString VaryCase(std::mt19937& rng, const char* psz) {
    CString s(psz);
    unsigned n = rng() % 10;
    if (n < 2) {
        s.MakeLower();
    } else if (n == 2) {
        s.MakeUpper();
    }
    return s;
}

CString MailName(const CContact& c, std::mt19937& rng) {
    CString s = c.firstname.IsEmpty() ? CString("info") : c.firstname;
    if (!c.lastname.IsEmpty()) {
        s += "." + c.lastname;
    }
    s.MakeLower();
    s.Replace(' ', '-');
    s.Replace('\'', '-');
    return s + "@" + Pick(rng, kDomains);
}

CString Address(std::mt19937& rng) {
    CString s;
    s.Format("%s %u", Pick(rng, kStreets), static_cast<unsigned>(1 + rng() % 180));
    s += kStoredLineBreak;
    s += Pick(rng, kCities);
    if (Chance(rng, 60)) {
        s += kStoredLineBreak;
        s += Pick(rng, kCountries);
    }
    return s;
}

CString Note(std::mt19937& rng) {
    CString s;
    int nLines = 1 + static_cast<int>(rng() % 3);
    for (int i = 0; i < nLines; ++i) {
        if (i > 0) {
            s += kStoredLineBreak;
        }
        // A rare line, so that a search has a few hits spread through the list.
        s += rng() % 300 == 0 ? (rng() % 2 ? "Teaches at the \xC3\x89"
                                             "cole Centrale"
                                           : "Alumna of the \xC3\xA9"
                                             "cole centrale")
                              : Pick(rng, kNoteLines);
    }
    return s;
}

CContact GenerateContact(std::mt19937& rng) {
    CContact c;
    if (Chance(rng, 97)) {
        c.lastname = VaryCase(rng, Pick(rng, kLastNames));
    }
    if (Chance(rng, 90)) {
        c.firstname = VaryCase(rng, Pick(rng, kFirstNames));
    }
    if (Chance(rng, 15)) {
        c.nickname = Pick(rng, kNicknames);
    }
    bool bWorks = Chance(rng, 55);
    if (bWorks) {
        c.company = Pick(rng, kCompanies);
        if (Chance(rng, 70)) {
            c.jobtitle = Pick(rng, kJobTitles);
        }
    }
    if (Chance(rng, 55)) {
        c.homephone = Phone(rng);
    }
    if (Chance(rng, 70)) {
        c.mobile = "+49 17" + Digits(rng, 1) + " " + Digits(rng, 7);
    }
    if (Chance(rng, 65)) {
        c.homeemail = MailName(c, rng);
    }
    if (Chance(rng, 15)) {
        c.homewww = "https://www." + Digits(rng, 3) + "." + Pick(rng, kDomains);
    }
    if (Chance(rng, 60)) {
        c.homeaddress = Address(rng);
    }
    if (bWorks) {
        if (Chance(rng, 80)) {
            c.officephone = Phone(rng);
        }
        if (Chance(rng, 35)) {
            c.officefax = Phone(rng);
        }
        if (Chance(rng, 75)) {
            c.officeemail = MailName(c, rng);
        }
        if (Chance(rng, 50)) {
            c.officewww = "https://" + CString(Pick(rng, kDomains)) + "/team";
        }
        if (Chance(rng, 70)) {
            c.officeaddress = Address(rng);
        }
    }
    if (Chance(rng, 50)) {
        c.note = Note(rng);
    }
    return c;
}

} // namespace

CContactArray GenerateContacts(int nCount, unsigned nSeed) {
    std::mt19937 rng(nSeed);
    CContactArray contacts;
    contacts.Reserve(nCount);
    for (int i = 0; i < nCount; ++i) {
        CContact c = GenerateContact(rng);
        c.id = i;
        contacts.Add(std::move(c));
    }
    return contacts;
}

