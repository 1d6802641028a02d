// CDialog: a window made from a dialog template. DoModal runs the framework's own modal loop:
// the dialog is created modeless, its owner disabled, and each message of the loop is first
// offered to PreTranslateMessage of the target window and of its parents up to the dialog
// (whose default is the dialog manager's keyboard handling), so that a dialog sees its keys
// before the controls do.
#pragma once

#include "Gdi.h"
#include "Theme.h"
#include "Wnd.h"
#include "framework/core/Dpi.h"

class CDialog;

// Binds the dialog's controls to their wrapper objects (and, later, values to controls).
class CDataExchange {
public:
    CDataExchange(CDialog* pDlg, BOOL bSaveAndValidate) : m_pDlgWnd(pDlg), m_bSaveAndValidate(bSaveAndValidate) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    // The first control that could not be bound, or 0.
    int m_nFailedId = 0;
};

// Subclasses control nId with the wrapper, once; false (noted in pDX) when the template has no
// such control or it cannot be wrapped.
BOOL DDX_Control(CDataExchange* pDX, int nId, CWnd& control);

class CDialog : public CWnd {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}
    ~CDialog() override;

    // Runs the dialog until EndDialog; returns the result given there, or -1 when the dialog
    // could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless.
    BOOL Create(UINT nIDTemplate, CWnd* pParent = nullptr);
    void EndDialog(int nResult);
    bool IsInModalLoop() const { return m_bInModalLoop; }
    // True while another modal window (a message box, a dialog) runs inside this one's loop.
    bool HasNestedModal() const;

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    // False when a control could not be bound (GetFailedControlId tells which).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    int GetFailedControlId() const { return m_nFailedControlId; }
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The dots per inch the window is laid out for: its screen's when it was made, then that of
    // each screen it is moved to.
    int GetDpi() const { return m_nDpi; }
    // The caption's and the task bar's icons from icon resource nIconId, each drawn at its size
    // for the window's dpi, and again after every change of it.
    void SetCaptionIcons(UINT nIconId);

protected:
    // After a move to a screen of another scaling, once the template's controls and their font
    // are scaled and the window has its new size: what the window sized or drew by itself
    // follows here.
    virtual void OnDpiChanged(int nOldDpi, int nNewDpi);
    // After the user switched between the light face, the dark face and high contrast, or changed
    // the system's colours, once the title bar and the controls follow: what the window coloured
    // or drew by itself follows here. At the start a window takes the theme in OnInitDialog.
    virtual void OnThemeChanged() {}

    void RunModalLoop();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    // DoModal leaves the dialog hidden: it shows itself once it has something to show (the
    // progress of work that may well end before anyone could read it).
    bool m_bShowLater = false;

private:
    BOOL CreateOwned(HWND hOwner);
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    LRESULT OnWmDpiChanged(WPARAM wParam, LPARAM lParam);
    void ScaleControls(int nOldDpi, int nNewDpi);
    // Every window of the program answers its controls' colour messages here, after the controls
    // that colour themselves (reflected) have declined them.
    template <UINT nMessage> BOOL OnCtlColor(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Both leave the message to the default processing too.
    BOOL OnSettingChange(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL OnSysColorChange(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Reads the theme again and, when this window does not show it yet, gives it to the title bar
    // and the controls; bStart: the window is new and OnInitDialog took the theme itself.
    void FollowTheme(bool bStart);

    bool m_bInModalLoop = false;
    int m_nFailedControlId = 0;
    bool m_bEndModal = false;
    int m_nModalResult = -1;
    int m_nDpi = kBaseDpi;
    // The template's font at the current dpi, once the window has moved to another scaling; the
    // template's own font stays the dialog manager's.
    int m_nTemplateDpi = kBaseDpi;
    HFONT m_hTemplateFont = nullptr;
    CFont m_scaledFont;
    UINT m_nCaptionIconId = 0;
    HICON m_hSmallIcon = nullptr;
    HICON m_hBigIcon = nullptr;
    unsigned m_nThemeGeneration = 0;
    bool m_bDarkStyles = false; // the controls have the system's dark visual styles
};

// Offers a message to its target window's and the target's parents' PreTranslateMessage, up
// to hStop; true when one of them consumed it.
BOOL AfxPreTranslateMessage(HWND hStop, MSG* pMsg);

// A visible dialog or message box of this thread other than the main window, or null: the
// window a user should be sent to while the program waits for it.
HWND AfxFindModalWindow();
