// The header rows of Outlook in other languages. Outlook names its CSV columns in the language of
// the installation, so a German user's export says "Nachname" where an English one says "Last
// Name". Only the columns the address book has a place for are listed; the others go into the
// note under their own names, as unknown columns of any file do. Outlook writes no nickname
// column in any language.
#include "CsvColumns.h"
#include "CsvValueColumns.h"

#include "data/Contact.h"

namespace {

typedef CContact C;

// Parts of an address, as ComposeAddress orders them.
const int kBox = 0;
const int kStreet = 2;
const int kCity = 3;
const int kRegion = 4;
const int kPostalCode = 5;
const int kCountry = 6;

constexpr CCsvReadColumn Field(const char* pszName, int nField) {
    return {pszName, CsvTarget::field, nField, 0, nullptr};
}
constexpr CCsvReadColumn MiddleName(const char* pszName) {
    return {pszName, CsvTarget::middleName, 0, 0, nullptr};
}
constexpr CCsvReadColumn Home(const char* pszName, int nPart) {
    return {pszName, CsvTarget::addressPart, C::fieldHomeAddress, nPart, nullptr};
}
constexpr CCsvReadColumn Office(const char* pszName, int nPart) {
    return {pszName, CsvTarget::addressPart, C::fieldOfficeAddress, nPart, nullptr};
}
// A value Outlook writes for every contact, which says nothing.
constexpr CCsvReadColumn Default(const char* pszName, const char* pszEmpty) {
    return {pszName, CsvTarget::ignoredDefault, 0, 0, pszEmpty};
}

// The courtesy title and the department, which are further values. French Outlook's "Titre" is
// the job title's column as well, which takes it.
constexpr CCsvValueColumn Value(const char* pszName, EValueKind kind) {
    return {pszName, 0, kind, "", "", CsvValueFormat::text, 0};
}
const CCsvValueColumn g_localisedValues[] = {
    Value("Anrede", EValueKind::namePrefix),     Value("Abteilung", EValueKind::department),
    Value("Service", EValueKind::department),    Value("Titolo", EValueKind::namePrefix),
    Value("Reparto", EValueKind::department),    Value("Titel", EValueKind::namePrefix),
    Value("Afdeling", EValueKind::department),   Value("Tratamento", EValueKind::namePrefix),
    Value("Departamento", EValueKind::department), Value("T\xC3\xADtulo", EValueKind::namePrefix), // Título
};

// Where a language keeps a column's English name, or shares a name with another language listed
// before it, the name is not repeated.
const CCsvReadColumn g_localised[] = {
    // German
    Field("Vorname", C::fieldFirstName), MiddleName("Weitere Vornamen"), Field("Nachname", C::fieldLastName),
    Field("Firma", C::fieldCompany), Field("Position", C::fieldJobTitle),
    Field("Telefon privat", C::fieldHomePhone), Field("Telefon (privat)", C::fieldHomePhone),
    Field("Mobiltelefon", C::fieldMobile),
    Field("Telefon gesch\xC3\xA4"
          "ftlich",
          C::fieldOfficePhone), // Telefon geschäftlich
    Field("Fax gesch\xC3\xA4"
          "ftlich",
          C::fieldOfficeFax), // Fax geschäftlich
    Field("E-Mail-Adresse", C::fieldHomeEMail), Field("E-Mail 2: Adresse", C::fieldOfficeEMail),
    Field("Webseite", C::fieldHomeWWW), Field("Notizen", C::fieldNote),
    Home("Stra\xC3\x9F"
         "e privat",
         kStreet), // Straße privat
    Home("Stra\xC3\x9F"
         "e privat 2",
         kStreet), // Straße privat 2
    Home("Stra\xC3\x9F"
         "e privat 3",
         kStreet), // Straße privat 3
    Home("Postfach privat", kBox), Home("Ort privat", kCity), Home("Bundesland/Kanton privat", kRegion),
    Home("Postleitzahl privat", kPostalCode), Home("Land/Region privat", kCountry),
    Office("Stra\xC3\x9F"
           "e gesch\xC3\xA4"
           "ftlich",
           kStreet), // Straße geschäftlich
    Office("Stra\xC3\x9F"
           "e gesch\xC3\xA4"
           "ftlich 2",
           kStreet), // Straße geschäftlich 2
    Office("Stra\xC3\x9F"
           "e gesch\xC3\xA4"
           "ftlich 3",
           kStreet), // Straße geschäftlich 3
    Office("Postfach gesch\xC3\xA4"
           "ftlich",
           kBox), // Postfach geschäftlich
    Office("Ort gesch\xC3\xA4"
           "ftlich",
           kCity), // Ort geschäftlich
    Office("Region gesch\xC3\xA4"
           "ftlich",
           kRegion), // Region geschäftlich
    Office("Postleitzahl gesch\xC3\xA4"
           "ftlich",
           kPostalCode), // Postleitzahl geschäftlich
    Office("Land/Region gesch\xC3\xA4"
           "ftlich",
           kCountry), // Land/Region geschäftlich
    Default("E-Mail-Typ", "SMTP"), Default("E-Mail 2: Typ", "SMTP"), Default("E-Mail 3: Typ", "SMTP"),
    Default("Priorit\xC3\xA4t", "Normal"), // Priorität
    Default("Vertraulichkeit", "Normal"), Default("Privat", "Aus"), Default("Geschlecht", "Nicht angegeben"),
    Default("Geburtstag", "0.0.00"), Default("Jahrestag", "0.0.00"),
    // French ("Titre" names both the courtesy title and the job title; the reader keeps the last column of a
    // name)
    Field("Pr\xC3\xA9nom", C::fieldFirstName),                                       // Prénom
    MiddleName("Deuxi\xC3\xA8me pr\xC3\xA9nom"),                                     // Deuxième prénom
    Field("Nom", C::fieldLastName), Field("Soci\xC3\xA9t\xC3\xA9", C::fieldCompany), // Société
    Field("Titre", C::fieldJobTitle),
    Field("T\xC3\xA9l\xC3\xA9phone (domicile)", C::fieldHomePhone), // Téléphone (domicile)
    Field("T\xC3\xA9l. mobile", C::fieldMobile),                    // Tél. mobile
    Field("T\xC3\xA9l\xC3\xA9phone (bureau)", C::fieldOfficePhone), // Téléphone (bureau)
    Field("T\xC3\xA9l\xC3\xA9"
          "copie (bureau)",
          C::fieldOfficeFax), // Télécopie (bureau)
    Field("Adresse de messagerie", C::fieldHomeEMail), Field("Adresse de messagerie 2", C::fieldOfficeEMail),
    Field("Page Web", C::fieldHomeWWW), Home("Rue (domicile)", kStreet), Home("Rue (domicile) 2", kStreet),
    Home("Rue (domicile) 3", kStreet),
    Home("Bo\xC3\xAEte postale du domicile", kBox), // Boîte postale du domicile
    Home("Ville (domicile)", kCity),
    Home("D\xC3\xA9p/R\xC3\xA9gion (domicile)", kRegion), // Dép/Région (domicile)
    Home("Code postal (domicile)", kPostalCode),
    Home("Pays/R\xC3\xA9gion (domicile)", kCountry), // Pays/Région (domicile)
    Office("Rue (bureau)", kStreet), Office("Rue (bureau) 2", kStreet), Office("Rue (bureau) 3", kStreet),
    Office("B.P. professionnelle", kBox), Office("Ville (bureau)", kCity),
    Office("D\xC3\xA9p/R\xC3\xA9gion (bureau)", kRegion), // Dép/Région (bureau)
    Office("Code postal (bureau)", kPostalCode),
    Office("Pays/R\xC3\xA9gion (bureau)", kCountry), // Pays/Région (bureau)
    Default("Type de messagerie", "SMTP"), Default("Type de messagerie 2", "SMTP"),
    Default("Type de messagerie 3", "SMTP"),
    // Spanish
    Field("Nombre", C::fieldFirstName), MiddleName("Segundo nombre"), Field("Apellidos", C::fieldLastName),
    Field("Organizaci\xC3\xB3n", C::fieldCompany), // Organización
    Field("Puesto", C::fieldJobTitle), Field("Particular", C::fieldHomePhone),
    Field("M\xC3\xB3vil", C::fieldMobile), // Móvil
    Field("Tel\xC3\xA9"
          "fono m\xC3\xB3vil",
          C::fieldMobile), // Teléfono móvil
    Field("Tel\xC3\xA9"
          "fono del trabajo",
          C::fieldOfficePhone), // Teléfono del trabajo
    Field("Fax del trabajo", C::fieldOfficeFax),
    Field("Direcci\xC3\xB3n de correo electr\xC3\xB3nico",
          C::fieldHomeEMail), // Dirección de correo electrónico
    Field("Direcci\xC3\xB3n de correo electr\xC3\xB3nico 2",
          C::fieldOfficeEMail),                  // Dirección de correo electrónico 2
    Field("P\xC3\xA1gina web", C::fieldHomeWWW), // Página web
    Field("Notas", C::fieldNote), Home("Calle del domicilio", kStreet),
    Home("Calle del domicilio 2", kStreet), Home("Calle del domicilio 3", kStreet),
    Home("Apartado postal de la direcci\xC3\xB3n personal", kBox), // Apartado postal de la dirección personal
    Home("Ciudad de residencia", kCity), Home("Provincia o estado de residencia", kRegion),
    Home("C\xC3\xB3"
         "digo postal de residencia",
         kPostalCode),                                           // Código postal de residencia
    Home("Pa\xC3\xADs o regi\xC3\xB3n del domicilio", kCountry), // País o región del domicilio
    Office("Calle del trabajo", kStreet), Office("Calle del trabajo 2", kStreet),
    Office("Calle del trabajo 3", kStreet),
    Office("Apartado postal de la direcci\xC3\xB3n del trabajo",
           kBox), // Apartado postal de la dirección del trabajo
    Office("Ciudad de trabajo", kCity), Office("Provincia o estado de trabajo", kRegion),
    Office("C\xC3\xB3"
           "digo postal del trabajo",
           kPostalCode),                                         // Código postal del trabajo
    Office("Pa\xC3\xADs o regi\xC3\xB3n del trabajo", kCountry), // País o región del trabajo
    Default("Tipo de correo electr\xC3\xB3nico", "SMTP"),        // Tipo de correo electrónico
    Default("Tipo de correo electr\xC3\xB3nico 2", "SMTP"),      // Tipo de correo electrónico 2
    Default("Tipo de correo electr\xC3\xB3nico 3", "SMTP"),      // Tipo de correo electrónico 3
    // Italian
    Field("Nome", C::fieldFirstName), MiddleName("Secondo nome"), Field("Cognome", C::fieldLastName),
    Field("Societ\xC3\xA0", C::fieldCompany), // Società
    Field("Posizione", C::fieldJobTitle), Field("Abitazione", C::fieldHomePhone),
    Field("Cellulare", C::fieldMobile), Field("Ufficio", C::fieldOfficePhone),
    Field("Fax (uff.)", C::fieldOfficeFax), Field("Indirizzo posta elettronica", C::fieldHomeEMail),
    Field("Indirizzo posta elettronica 2", C::fieldOfficeEMail), Field("Pagina Web", C::fieldHomeWWW),
    Field("Note", C::fieldNote), Home("Via (ab.)", kStreet), Home("Via (ab.) 2", kStreet),
    Home("Via (ab.) 3", kStreet), Home("Indirizzo (ab.) - Casella postale", kBox),
    Home("Citt\xC3\xA0 (ab.)", kCity), // Città (ab.)
    Home("Provincia (ab.)", kRegion), Home("CAP (ab.)", kPostalCode), Home("Paese (ab.)", kCountry),
    Office("Via (uff.)", kStreet), Office("Via (uff.) 2", kStreet), Office("Via (uff.) 3", kStreet),
    Office("Indirizzo (uff.) - Casella postale", kBox), Office("Citt\xC3\xA0 (uff.)", kCity), // Città (uff.)
    Office("Provincia (uff.)", kRegion), Office("CAP (uff.)", kPostalCode), Office("Paese (uff.)", kCountry),
    Default("Tipo posta elettronica", "SMTP"), Default("Tipo posta elettronica 2", "SMTP"),
    Default("Tipo posta elettronica 3", "SMTP"),
    // Dutch
    Field("Voornaam", C::fieldFirstName), MiddleName("Middelste naam"), Field("Achternaam", C::fieldLastName),
    Field("Bedrijf", C::fieldCompany), Field("Functie", C::fieldJobTitle),
    Field("Telefoon thuis", C::fieldHomePhone), Field("Mobiele telefoon", C::fieldMobile),
    Field("Telefoon op werk", C::fieldOfficePhone), Field("Fax op werk", C::fieldOfficeFax),
    Field("E-mailadres", C::fieldHomeEMail), Field("E-mailadres 2", C::fieldOfficeEMail),
    Field("Webpagina", C::fieldHomeWWW), Field("Notities", C::fieldNote), Home("Huisadres, straat", kStreet),
    Home("Huisadres, straat 2", kStreet), Home("Huisadres, straat 3", kStreet),
    Home("Huisadres, postbusnummer", kBox), Home("Huisadres, plaats", kCity),
    Home("Huisadres, provincie", kRegion), Home("Huisadres, postcode", kPostalCode),
    Home("Land/regio (thuis)", kCountry), Office("Werkadres, straat", kStreet),
    Office("Werkadres 2, straat", kStreet), Office("Werkadres 3, straat", kStreet),
    Office("Werkadres, postbusnummer", kBox), Office("Werkadres, plaats", kCity),
    Office("Werkadres, provincie", kRegion), Office("Werkadres, postcode", kPostalCode),
    Office("Land/regio (werk)", kCountry), Default("E-mailtype", "SMTP"), Default("E-mailtype 2", "SMTP"),
    Default("E-mailtype 3", "SMTP"),
    // Portuguese of Brazil
    Field("Primeiro nome", C::fieldFirstName), MiddleName("Segundo nome"),
    Field("Sobrenome", C::fieldLastName), Field("Empresa", C::fieldCompany), Field("Cargo", C::fieldJobTitle),
    Field("Telefone residencial", C::fieldHomePhone), Field("Telefone celular", C::fieldMobile),
    Field("Telefone comercial", C::fieldOfficePhone), Field("Fax comercial", C::fieldOfficeFax),
    Field("Endere\xC3\xA7o de email", C::fieldHomeEMail),     // Endereço de email
    Field("Endere\xC3\xA7o de email 2", C::fieldOfficeEMail), // Endereço de email 2
    Field("P\xC3\xA1gina da Web", C::fieldHomeWWW),           // Página da Web
    Field("Anota\xC3\xA7\xC3\xB5"
          "es",
          C::fieldNote),                                       // Anotações
    Home("Endere\xC3\xA7o residencial", kStreet),              // Endereço residencial
    Home("Endere\xC3\xA7o residencial 2", kStreet),            // Endereço residencial 2
    Home("Endere\xC3\xA7o residencial 3", kStreet),            // Endereço residencial 3
    Home("Caixa postal do endere\xC3\xA7o residencial", kBox), // Caixa postal do endereço residencial
    Home("Cidade do endere\xC3\xA7o residencial", kCity),      // Cidade do endereço residencial
    Home("Estado", kRegion),
    Home("Estado do endere\xC3\xA7o residencial", kRegion),           // Estado do endereço residencial
    Home("CEP do endere\xC3\xA7o residencial", kPostalCode),          // CEP do endereço residencial
    Home("Pa\xC3\xADs/Regi\xC3\xA3o de Resid\xC3\xAAncia", kCountry), // País/Região de Residência
    Office("Rua do endere\xC3\xA7o comercial", kStreet),              // Rua do endereço comercial
    Office("Rua do endere\xC3\xA7o comercial 2", kStreet),            // Rua do endereço comercial 2
    Office("Rua do endere\xC3\xA7o comercial 3", kStreet),            // Rua do endereço comercial 3
    Office("Caixa postal do endere\xC3\xA7o comercial", kBox),        // Caixa postal do endereço comercial
    Office("Cidade do endere\xC3\xA7o comercial", kCity),             // Cidade do endereço comercial
    Office("Estado do endere\xC3\xA7o comercial", kRegion),           // Estado do endereço comercial
    Office("CEP do endere\xC3\xA7o comercial", kPostalCode),          // CEP do endereço comercial
    Office("Pa\xC3\xADs/Regi\xC3\xA3o da Empresa", kCountry),         // País/Região da Empresa
    Default("Tipo de email", "SMTP"), Default("Tipo de email 2", "SMTP"), Default("Tipo de email 3", "SMTP"),
    // Portuguese of Portugal
    MiddleName("Outros nomes/apelidos"), Field("Apelido", C::fieldLastName),
    Field("Telefone da resid\xC3\xAAncia", C::fieldHomePhone), // Telefone da residência
    Field("Telem\xC3\xB3vel", C::fieldMobile),                 // Telemóvel
    Field("Telefone da empresa", C::fieldOfficePhone), Field("Fax da empresa", C::fieldOfficeFax),
    Field("Endere\xC3\xA7o de correio electr\xC3\xB3nico",
          C::fieldHomeEMail), // Endereço de correio electrónico
    Field("Endere\xC3\xA7o do correio electr\xC3\xB3nico 2",
          C::fieldOfficeEMail),                     // Endereço do correio electrónico 2
    Field("P\xC3\xA1gina na Web", C::fieldHomeWWW), // Página na Web
    Home("Rua da resid\xC3\xAAncia", kStreet),      // Rua da residência
    Home("Rua da resid\xC3\xAAncia (2)", kStreet),  // Rua da residência (2)
    Home("Rua da resid\xC3\xAAncia (3)", kStreet),  // Rua da residência (3)
    Home("Apartado da resid\xC3\xAAncia", kBox),    // Apartado da residência
    Home("Localidade da resid\xC3\xAAncia", kCity), // Localidade da residência
    Home("Distrito da resid\xC3\xAAncia", kRegion), // Distrito da residência
    Home("C\xC3\xB3"
         "digo postal da resid\xC3\xAAncia",
         kPostalCode),                                                // Código postal da residência
    Home("Pa\xC3\xADs da Resid\xC3\xAAncia/Regi\xC3\xA3o", kCountry), // País da Residência/Região
    Office("Rua da empresa", kStreet), Office("Rua da empresa 2", kStreet),
    Office("Rua da empresa 3", kStreet), Office("Apartado da empresa", kBox),
    Office("Localidade da empresa", kCity), Office("Distrito da empresa", kRegion),
    Office("C\xC3\xB3"
           "digo postal da empresa",
           kPostalCode),                                     // Código postal da empresa
    Default("Tipo de correio electr\xC3\xB3nico", "SMTP"),   // Tipo de correio electrónico
    Default("Tipo de correio electr\xC3\xB3nico 2", "SMTP"), // Tipo de correio electrónico 2
    Default("Tipo de correio electr\xC3\xB3nico 3", "SMTP"), // Tipo de correio electrónico 3
};

} // namespace

const std::vector<CCsvReadColumn>& LocalisedOutlookColumns() {
    static const std::vector<CCsvReadColumn> s_columns(std::begin(g_localised), std::end(g_localised));
    return s_columns;
}

const std::vector<CCsvValueColumn>& LocalisedOutlookValueColumns() {
    static const std::vector<CCsvValueColumn> s_columns(std::begin(g_localisedValues), std::end(g_localisedValues));
    return s_columns;
}
