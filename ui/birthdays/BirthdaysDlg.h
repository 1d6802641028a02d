// CBirthdaysDlg: the birthdays and anniversaries of the coming days (UpcomingDates), in the order
// they come, today's in bold. Open, Enter or a double click chooses a row's contact for the
// caller to open in the editor. User-interface thread only.
#pragma once

#include "data/UpcomingDates.h"
#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"
#include "framework/win/Gdi.h"

class CBirthdaysDlg : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    // How many days from today on the window lists.
    static constexpr int kDays = 30;

    CBirthdaysDlg(const CContactArray& contacts, const CValueDate& today, CWnd* pParent = nullptr);

    // The contact chosen (its index in the list given), or -1 when none was.
    int ChosenContact() const { return m_nChosen; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnDpiChanged(int nOldDpi, int nNewDpi) override;
    void OnOpen();
    void OnListDblClk(NMHDR* pHeader, LRESULT* pResult);
    void OnListCustomDraw(NMHDR* pHeader, LRESULT* pResult);
    void OnListItemChanged(NMHDR* pHeader, LRESULT* pResult);

private:
    const CContactArray& m_contacts;
    std::vector<CUpcomingDate> m_dates;
    int m_nChosen = -1;
    CListCtrl m_list;
    CFont m_bold; // for today's rows

    // Today's rows in the list's own font, made bold.
    void MakeBoldFont();
};

// The local date today.
CValueDate LocalToday();
