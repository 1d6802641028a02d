// CTheme: the look the program's windows follow, as the user chose it for the system: light,
// dark ("AppsUseLightTheme" 0) or high contrast, with its colours (ThemeColors) and a brush for
// each background. One for the process, read at first use and again whenever a window hears that
// the settings or the system's colours changed; every dialog answers the colour messages of its
// controls from it. User-interface thread only.
#pragma once

#include "framework/core/ThemeColors.h"

#include <windows.h>

class CTheme {
public:
    static CTheme& Current();

    // Reads the settings and the system's colours again; true when the look or a colour changed.
    bool Refresh();
    // Counts the changes Refresh found, so that a window can tell whether it shows the latest.
    unsigned Generation() const { return m_nGeneration; }

    ETheme Kind() const { return m_kind; }
    bool IsDark() const { return m_kind == ETheme::dark; }
    bool IsHighContrast() const { return m_kind == ETheme::highContrast; }
    const CThemeColors& Colors() const { return m_colors; }
    // An accent colour of the light face as it is to be shown now (AccentOnFace).
    COLORREF Accent(COLORREF lightAccent) const { return AccentOnFace(m_kind, m_colors, lightAccent); }
    HBRUSH FaceBrush() const { return m_hFace; }
    HBRUSH WindowBrush() const { return m_hWindow; }

    // Where high contrast is read from: the system's setting, or a stand-in for a system that
    // cannot switch it (null: the system's again). Takes effect at the next Refresh.
    using HighContrastQuery = bool (*)();
    static void SetHighContrastQuery(HighContrastQuery pfnQuery);

    CTheme(const CTheme&) = delete;
    CTheme& operator=(const CTheme&) = delete;

private:
    CTheme();
    ~CTheme();

    ETheme m_kind = ETheme::light;
    CThemeColors m_colors = {};
    HBRUSH m_hFace = nullptr;
    HBRUSH m_hWindow = nullptr;
    unsigned m_nGeneration = 0;
};

// Gives a top-level window the dark title bar where the system draws one, or the usual one;
// false where the system has no such setting.
bool SetDarkTitleBar(HWND hWnd, bool bDark);
// Gives the window's controls the theme's colours (the list views'), and, when bStylesChange (the
// dark face comes or goes), the system's dark visual styles for the controls that have them, or
// their usual ones again; then repaints the window.
void ApplyThemeToControls(HWND hParent, const CTheme& theme, bool bStylesChange);
// Sets the colours of a WM_CTLCOLOR* message's device context for the theme and returns the
// background brush; null on the light face and in high contrast, where the system's defaults are
// the theme's.
HBRUSH ThemeControlColors(const CTheme& theme, UINT nMessage, HDC hDC, HWND hControl);
