#include "ValueDlg.h"

#include "framework/core/WideText.h"
#include "res/resource.h"
#include "ui/controls/AccessibleName.h"
#include "ui/shell/Globals.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

namespace {

const int kTextControls[] = {IDC_VALUE_TEXT_LABEL, IDC_VALUE_TEXT};
const int kDateControls[] = {IDC_VALUE_DATE_LABEL, IDC_VALUE_DATE, IDC_VALUE_NO_YEAR};
const int kAddressControls[] = {
    IDC_VALUE_STREET_LABEL,   IDC_VALUE_STREET,   IDC_VALUE_LOCALITY_LABEL,    IDC_VALUE_LOCALITY,
    IDC_VALUE_REGION_LABEL,   IDC_VALUE_REGION,   IDC_VALUE_POSTAL_CODE_LABEL, IDC_VALUE_POSTAL_CODE,
    IDC_VALUE_COUNTRY_LABEL,  IDC_VALUE_COUNTRY,  IDC_VALUE_PO_BOX_LABEL,      IDC_VALUE_PO_BOX,
    IDC_VALUE_EXTENDED_LABEL, IDC_VALUE_EXTENDED,
};

// The edit of an address part: their ids follow the order of EAddressPart.
int PartEdit(int nPart) { return IDC_VALUE_PO_BOX + nPart; }

// The picker's own format, so that a date without a year does not show one.
const wchar_t kDateFormat[] = L"d MMMM yyyy";
const wchar_t kNoYearFormat[] = L"d MMMM";

RECT ClientRectOf(HWND hParent, HWND hControl) {
    RECT rect;
    ::GetWindowRect(hControl, &rect);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

const CMessageTable* CValueDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnControlCode<&CValueDlg::OnKindChange>(IDC_VALUE_KIND, CBN_SELCHANGE),
        OnCommand<&CValueDlg::OnNoYear>(IDC_VALUE_NO_YEAR),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CValueDlg::CValueDlg(CWnd* pParent) : CDialog(IDD_VALUE, pParent) {}

INT_PTR CValueDlg::DoModal() {
    // The date picker's class is not among those the program registers at start.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_DATE_CLASSES};
    if (!::InitCommonControlsEx(&controls)) {
        return -1;
    }
    return CDialog::DoModal();
}

BOOL CValueDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetWindowTextW(m_hWnd, m_bNew ? L"Add Value" : L"Edit Value");
    NameCombosByTheirLabels(m_hWnd);
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        m_templateTops[::GetDlgCtrlID(hChild)] = ClientRectOf(m_hWnd, hChild).top;
    }
    HWND hKinds = GetDlgItem(IDC_VALUE_KIND);
    for (EValueKind kind : kChoosableKinds) {
        auto nItem = ::SendMessageW(hKinds, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(ToWide(KindRules(kind).pszName).c_str()));
        ::SendMessageW(hKinds, CB_SETITEMDATA, static_cast<WPARAM>(nItem), static_cast<LPARAM>(kind));
        if (kind == m_value.kind) {
            ::SendMessageW(hKinds, CB_SETCURSEL, static_cast<WPARAM>(nItem), 0);
        }
    }
    const CValueKindRules& rules = KindRules(m_value.kind);
    // A new value starts with its kind's usual type.
    if (m_bNew && !rules.typeChoices.empty()) {
        m_value.type = StoredTypeOf(m_value.kind, rules.typeChoices.front());
    }
    FillTypeChoices(m_value.kind);
    if (rules.bHasType) {
        SetDlgItemText(IDC_VALUE_TYPE, ShownTypeOf(m_value.kind, m_value.type));
    }
    if (rules.bHasLabel) {
        SetDlgItemText(IDC_VALUE_LABEL, DisplayTextOf(m_value.label));
    }
    CValueDate date;
    switch (rules.editor) {
    case EValueEditor::plainText: SetDlgItemText(IDC_VALUE_TEXT, DisplayTextOf(m_value.text)); break;
    case EValueEditor::address:
        for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
            SetDlgItemText(PartEdit(nPart), DisplayTextOf(m_value.AddressPart(nPart)));
        }
        break;
    case EValueEditor::date:
        // A text that is no date the picker can show is kept as it is unless the user picks one.
        if (ParseValueDate(m_value.text, date)) {
            ShowDate(date);
        }
        break;
    }
    OnNoYear();
    // Read back, as the controls hold them: an edit ends a text at a zero byte.
    m_strShownType = GetDlgItemText(IDC_VALUE_TYPE);
    m_strShownLabel = GetDlgItemText(IDC_VALUE_LABEL);
    m_strShownText = GetDlgItemText(IDC_VALUE_TEXT);
    for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
        m_strShownParts[nPart] = GetDlgItemText(PartEdit(nPart));
    }
    m_shownDate = PickedDate();
    // Centred at the template's height, the dialog keeps its centre as it takes the kind's height.
    RECT before, after;
    GetWindowRect(&before);
    ShowControlsOf(m_value.kind);
    GetWindowRect(&after);
    ::SetWindowPos(m_hWnd, nullptr, after.left,
                   after.top + ((before.bottom - before.top) - (after.bottom - after.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

EValueKind CValueDlg::ChosenKind() const {
    HWND hKinds = GetDlgItem(IDC_VALUE_KIND);
    auto nItem = ::SendMessageW(hKinds, CB_GETCURSEL, 0, 0);
    if (nItem == CB_ERR) {
        return m_value.kind;
    }
    return static_cast<EValueKind>(::SendMessageW(hKinds, CB_GETITEMDATA, static_cast<WPARAM>(nItem), 0));
}

void CValueDlg::FillTypeChoices(EValueKind kind) {
    HWND hTypes = GetDlgItem(IDC_VALUE_TYPE);
    // Emptying the list empties the box's text as well.
    CString strTyped = GetDlgItemText(IDC_VALUE_TYPE);
    ::SendMessageW(hTypes, CB_RESETCONTENT, 0, 0);
    for (const char* pszChoice : KindRules(kind).typeChoices) {
        ::SendMessageW(hTypes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(pszChoice).c_str()));
    }
    SetDlgItemText(IDC_VALUE_TYPE, strTyped);
}

void CValueDlg::OnKindChange() {
    const EValueKind kind = ChosenKind();
    const auto& choices = KindRules(kind).typeChoices;
    FillTypeChoices(kind);
    // A type the new kind does not offer would only mislead; the kind's usual one replaces it.
    CString strType = StoredTypeOf(kind, GetDlgItemText(IDC_VALUE_TYPE));
    bool bOffered = std::any_of(choices.begin(), choices.end(), [&](const char* pszChoice) {
        return StoredTypeOf(kind, pszChoice) == strType;
    });
    if (!bOffered) {
        SetDlgItemText(IDC_VALUE_TYPE, choices.empty() ? "" : choices.front());
    }
    ShowControlsOf(kind);
}

void CValueDlg::OnNoYear() {
    bool bNoYear = IsDlgButtonChecked(IDC_VALUE_NO_YEAR) == BST_CHECKED;
    ::SendMessageW(GetDlgItem(IDC_VALUE_DATE), DTM_SETFORMATW, 0,
                   reinterpret_cast<LPARAM>(bNoYear ? kNoYearFormat : kDateFormat));
}

void CValueDlg::ShowDate(const CValueDate& date) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(date.nYear ? date.nYear : kNoYearPickerYear);
    time.wMonth = static_cast<WORD>(date.nMonth);
    time.wDay = static_cast<WORD>(date.nDay);
    // Out of the picker's range (before 1601), the picker keeps today and the text stays.
    if (::SendMessageW(GetDlgItem(IDC_VALUE_DATE), DTM_SETSYSTEMTIME, GDT_VALID,
                       reinterpret_cast<LPARAM>(&time))) {
        CheckDlgButton(IDC_VALUE_NO_YEAR, date.nYear ? BST_UNCHECKED : BST_CHECKED);
    }
}

CValueDate CValueDlg::PickedDate() const {
    SYSTEMTIME time = {};
    ::SendMessageW(GetDlgItem(IDC_VALUE_DATE), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return DateFromPicker(time.wYear, time.wMonth, time.wDay,
                          IsDlgButtonChecked(IDC_VALUE_NO_YEAR) == BST_CHECKED);
}

void CValueDlg::MoveControl(int nId, int nTop) const {
    HWND hControl = GetDlgItem(nId);
    RECT rect = ClientRectOf(m_hWnd, hControl);
    ::SetWindowPos(hControl, nullptr, rect.left, nTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CValueDlg::ShowControlsOf(EValueKind kind) {
    const CValueKindRules& rules = KindRules(kind);
    auto show = [this](const int* pIds, size_t nCount, bool bShow) {
        for (size_t i = 0; i < nCount; ++i) {
            ::ShowWindow(GetDlgItem(pIds[i]), bShow ? SW_SHOW : SW_HIDE);
        }
    };
    const int kTypeRow[] = {IDC_VALUE_TYPE_LABEL, IDC_VALUE_TYPE};
    const int kLabelRow[] = {IDC_VALUE_LABEL_LABEL, IDC_VALUE_LABEL};
    show(kTypeRow, std::size(kTypeRow), rules.bHasType);
    show(kLabelRow, std::size(kLabelRow), rules.bHasLabel);
    show(kTextControls, std::size(kTextControls), rules.editor == EValueEditor::plainText);
    show(kDateControls, std::size(kDateControls), rules.editor == EValueEditor::date);
    show(kAddressControls, std::size(kAddressControls), rules.editor == EValueEditor::address);

    // Rows left out close up: each hidden row moves what follows it up by one row's height.
    const int nRow = m_templateTops.at(IDC_VALUE_LABEL) - m_templateTops.at(IDC_VALUE_TYPE);
    const int nTypeShift = rules.bHasType ? 0 : nRow;
    const int nValueShift = nTypeShift + (rules.bHasLabel ? 0 : nRow);
    for (int nId : kLabelRow) {
        MoveControl(nId, m_templateTops.at(nId) - nTypeShift);
    }
    int nBottom = 0;
    for (const auto& [nId, nTop] : m_templateTops) {
        HWND hControl = GetDlgItem(nId);
        if (nTop >= m_templateTops.at(IDC_VALUE_TEXT) && nId != IDOK && nId != IDCANCEL) {
            MoveControl(nId, nTop - nValueShift);
            if (::GetWindowLongW(hControl, GWL_STYLE) & WS_VISIBLE) {
                nBottom = std::max(nBottom, static_cast<int>(ClientRectOf(m_hWnd, hControl).bottom));
            }
        }
    }
    // The buttons keep their distance from the controls above and from the dialog's bottom edge
    // as the template has them below the last address line.
    RECT last = ClientRectOf(m_hWnd, GetDlgItem(IDC_VALUE_EXTENDED));
    const int nGap =
        m_templateTops.at(IDOK) - (m_templateTops.at(IDC_VALUE_EXTENDED) + (last.bottom - last.top));
    RECT button = ClientRectOf(m_hWnd, GetDlgItem(IDOK));
    const int nButtonTop = nBottom + nGap;
    MoveControl(IDOK, nButtonTop);
    MoveControl(IDCANCEL, nButtonTop);
    RECT client, window;
    GetClientRect(&client);
    GetWindowRect(&window);
    const int nMargin = client.bottom - button.bottom;
    const int nHeight =
        (window.bottom - window.top) - client.bottom + nButtonTop + (button.bottom - button.top) + nMargin;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, nHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

CContactValue CValueDlg::ValueFromControls() const {
    CContactValue value = m_value;
    const EValueKind kind = ChosenKind();
    const CValueKindRules& rules = KindRules(kind);
    const bool bSameKind = kind == m_value.kind;
    const EValueEditor shownEditor = KindRules(m_value.kind).editor;
    value.kind = kind;
    CString strType = GetDlgItemText(IDC_VALUE_TYPE);
    if (rules.bHasType) {
        value.type = bSameKind && strType == m_strShownType ? m_value.type : StoredTypeOf(kind, strType);
    } else if (!bSameKind) {
        value.type.Empty();
    }
    CString strLabel = GetDlgItemText(IDC_VALUE_LABEL);
    if (rules.bHasLabel) {
        value.label = strLabel == m_strShownLabel ? m_value.label : StoredTextOf(strLabel.GetStdString());
    } else if (!bSameKind) {
        value.label.Empty();
    }
    if (rules.editor == EValueEditor::plainText) {
        CString strText = GetDlgItemText(IDC_VALUE_TEXT);
        bool bAsShown = shownEditor == EValueEditor::plainText && strText == m_strShownText;
        value.text = bAsShown ? m_value.text : StoredTextOf(strText.GetStdString());
    } else if (rules.editor == EValueEditor::address) {
        CString parts[kAddressPartCount];
        bool bAllAsShown = shownEditor == EValueEditor::address;
        for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
            CString strPart = GetDlgItemText(PartEdit(nPart));
            bool bAsShown = shownEditor == EValueEditor::address && strPart == m_strShownParts[nPart];
            parts[nPart] = bAsShown ? m_value.AddressPart(nPart) : StoredTextOf(strPart.GetStdString());
            bAllAsShown = bAllAsShown && bAsShown;
        }
        if (!bAllAsShown) {
            value.SetAddressParts(parts);
        }
    } else {
        CValueDate date = PickedDate();
        bool bAsShown = shownEditor == EValueEditor::date && date == m_shownDate;
        value.text = bAsShown ? m_value.text : ValueDateText(date);
    }
    return value;
}

void CValueDlg::OnOK() {
    CContactValue value = ValueFromControls();
    if (const char* pszMissing = MissingPartMessage(value)) {
        MessageBox(pszMissing, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        int nFocus = IDC_VALUE_TEXT;
        if (value.kind == EValueKind::custom && CString(value.label).Trim().IsEmpty()) {
            nFocus = IDC_VALUE_LABEL;
        } else if (value.kind == EValueKind::address) {
            nFocus = IDC_VALUE_STREET;
        }
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(nFocus)), TRUE);
        return;
    }
    m_value = value;
    EndDialog(IDOK);
}
