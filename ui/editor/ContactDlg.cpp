#include "ContactDlg.h"

#include "ui/shell/Globals.h"
#include "framework/base/AppContext.h"
#include "framework/win/Theme.h"
#include "res/resource.h"

#include <iterator>

namespace {

const char kEmptyContact[] = "You have to enter some information before saving a contact";
const char kDeleteContact[] = "Are you sure you want to delete this contact?";

// Which field each edit shows.
const struct {
    int nId;
    int nField;
} kFieldEdits[] = {
    {IDC_EDIT_LASTNAME, CContact::fieldLastName},
    {IDC_EDIT_FIRSTNAME, CContact::fieldFirstName},
    {IDC_EDIT_NICKNAME, CContact::fieldNickname},
    {IDC_EDIT_COMPANY, CContact::fieldCompany},
    {IDC_EDIT_JOBTITLE, CContact::fieldJobTitle},
    {IDC_EDIT_HOMEPHONE, CContact::fieldHomePhone},
    {IDC_EDIT_MOBILE, CContact::fieldMobile},
    {IDC_EDIT_HOMEEMAIL, CContact::fieldHomeEMail},
    {IDC_EDIT_HOMEWWW, CContact::fieldHomeWWW},
    {IDC_EDIT_HOMEADDRESS, CContact::fieldHomeAddress},
    {IDC_EDIT_OFFICEPHONE, CContact::fieldOfficePhone},
    {IDC_EDIT_OFFICEFAX, CContact::fieldOfficeFax},
    {IDC_EDIT_OFFICEEMAIL, CContact::fieldOfficeEMail},
    {IDC_EDIT_OFFICEWWW, CContact::fieldOfficeWWW},
    {IDC_EDIT_OFFICEADDRESS, CContact::fieldOfficeAddress},
    {IDC_EDIT_NOTE, CContact::fieldNote},
};

// Bit 29 of a key message: Alt was down. Alt-letters arrive as WM_SYSKEYDOWN, so a WM_KEYDOWN
// with this bit means Alt together with Ctrl (or AltGr).
const LPARAM kAltDown = LPARAM(1) << 29;

int ShortcutCommand(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !(msg.lParam & kAltDown)) {
        return 0;
    }
    switch (msg.wParam) {
    case 'S': return IDOK;
    case 'D': return IDC_DELETE;
    case 'C': return IDCANCEL;
    default: return 0;
    }
}

} // namespace

const CMessageTable* CContactDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CContactDlg::OnDelete>(IDC_DELETE),
        OnWmPaint<&CContactDlg::OnPaint>(),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CContactDlg::CContactDlg(CWnd* pParent)
    : CDialog(IDD_CONTACT, pParent), m_moreValues(*this), m_photoBox(*this) {
    AddPart(m_moreValues);
    AddPart(m_photoBox);
    m_hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

void CContactDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EDIT_NOTE, m_editNote);
}

BOOL CContactDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetCaptionIcons(IDR_MAINFRAME);
    m_stored = m_contact;
    m_moreValues.Init(m_stored);
    m_photoBox.Init(PhotoOf(m_stored.values), m_pPhotos);
    m_contact.DecodeStoredText();
    for (const auto& edit : kFieldEdits) {
        SetDlgItemText(edit.nId, m_contact.FieldAt(edit.nField));
        m_strShown[edit.nField] = GetDlgItemText(edit.nId);
    }
    if (m_bNew) {
        ::EnableWindow(GetDlgItem(IDC_DELETE), FALSE);
    }
    ColorNote();
    // Its own taskbar button: the editor may be open while the main window is hidden.
    ModifyStyleEx(0, WS_EX_APPWINDOW);
    return TRUE;
}

void CContactDlg::ColorNote() {
    const CThemeColors& colors = CTheme::Current().Colors();
    m_editNote.SetColors(colors.noteBack, colors.noteText);
}

void CContactDlg::OnThemeChanged() {
    ColorNote();
    m_photoBox.FollowTheme();
}

void CContactDlg::OnOK() {
    CContact edited(m_stored);
    edited.values = m_moreValues.Values();
    SetPhoto(edited.values, m_photoBox.Photo());
    for (const auto& edit : kFieldEdits) {
        edited.FieldAt(edit.nField) = GetDlgItemText(edit.nId);
    }
    edited.EncodeStoredText();
    for (const auto& edit : kFieldEdits) {
        if (GetDlgItemText(edit.nId) == m_strShown[edit.nField]) {
            edited.FieldAt(edit.nField) = m_stored.FieldAt(edit.nField);
        }
    }
    DropOutdatedAddressParts(m_stored, edited);
    // Each field is the first value of its kind: an emptied field takes the next one.
    MoveValuesToEmptyFields(edited);
    if (edited.IsEmpty()) {
        // A deletion that ended here was refused with the save: the next Save only saves.
        m_bDeleted = 0;
        AfxMessageBox(kEmptyContact, MB_OK);
        return;
    }
    m_contact = edited;
    m_bSaved = 1;
    EndDialog(IDOK);
}

void CContactDlg::OnDelete() {
    if (MessageBox(kDeleteContact, kSystemCaption, MB_YESNO | MB_DEFBUTTON2) == IDNO) {
        return;
    }
    m_bDeleted = 1;
    PostMessage(WM_COMMAND, IDOK, 0);
}

BOOL CContactDlg::PreTranslateMessage(MSG* pMsg) {
    if (int nCommand = ShortcutCommand(*pMsg)) {
        PostMessage(WM_COMMAND, static_cast<WPARAM>(nCommand), 0);
        return TRUE;
    }
    return PreTranslateInput(pMsg);
}

void CContactDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PaintMinimisedIcon(this, m_hIcon);
}
