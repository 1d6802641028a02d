#include "ColorEdit.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kTextBlue = RGB(68, 54, 235);

} // namespace

const CMessageTable* CColorEdit::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnWmCreate<&CColorEdit::OnCreate>(),
        OnCtlColorReflect<&CColorEdit::CtlColor>(),
        OnCommandReflect<&CColorEdit::OnChange>(EN_CHANGE),
    };
    static const CMessageTable table = {CEdit::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CColorEdit::CColorEdit() : m_clrBackground(kWhite), m_clrText(kTextBlue), m_pFont(std::make_unique<CFont>()) {
    m_brBackground.CreateSolidBrush(kWhite);
    m_pFont->CreateFont(14, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Verdana");
}

CColorEdit::~CColorEdit() {
    // A window that outlives this object (or is destroyed only after it) must not go on
    // drawing with a font that is about to be deleted.
    if (m_hWnd && reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)) == GetOwnFont()) {
        SendMessage(WM_SETFONT, 0, FALSE);
    }
    m_pFont.reset();
    m_brBackground.DeleteObject();
}

void CColorEdit::SetColors(COLORREF background, COLORREF text) {
    m_clrBackground = background;
    m_clrText = text;
    m_brBackground.DeleteObject();
    m_brBackground.CreateSolidBrush(background);
    if (m_hWnd) {
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

int CColorEdit::OnCreate(CREATESTRUCTA*) {
    if (Default() == -1) {
        return -1;
    }
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetOwnFont()), TRUE);
    return 0;
}

HBRUSH CColorEdit::CtlColor(CDC* pDC, UINT) {
    pDC->SetBkColor(m_clrBackground);
    pDC->SetTextColor(m_clrText);
    return m_brBackground;
}
