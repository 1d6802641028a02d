// CPhotoBox: the editor's part that shows the contact's photo, scaled into its box, and lets the
// user choose a picture file for it (Choose...) or take it away (Remove). A chosen picture is
// held in the value itself until the book gives it a file of its own at Save, so that Close
// leaves nothing behind. Belongs to one dialog, for every run of it. User-interface thread only.
#pragma once

#include "data/PhotoFolder.h"
#include "framework/win/Dialog.h"
#include "framework/win/Gdi.h"

#include <string>

class CPhotoBox : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    explicit CPhotoBox(CDialog& dialog) : m_dialog(dialog) {}
    CPhotoBox(const CPhotoBox&) = delete;
    CPhotoBox& operator=(const CPhotoBox&) = delete;

    // The largest picture file a photo takes: above a phone's photo, and small enough that a
    // card carrying it in base64 stays below the largest card a synchronisation sends.
    static constexpr uint64_t kMaxPictureBytes = uint64_t(3) << 20;

    // Shows the photo (a value's text: a file in pPhotos, or inline), or "No photo".
    void Init(const CString& strPhoto, const CPhotoFolder* pPhotos);
    // The photo as the user left it: the value's text, or empty for none.
    const CString& Photo() const { return m_strPhoto; }
    // Takes the picture in the file as the photo; false, having told the user why, for a file
    // that cannot be read or is no picture the system can show. Choose... ends here.
    bool TakePictureFile(const CString& strPath);
    // Shows the photo again, on the face of the theme the window shows now.
    void FollowTheme();

private:
    void OnChoose();
    void OnRemove();
    // Draws the picture of these bytes (none: the words "No photo") into the box.
    bool Show(const std::string& strBytes);
    void UpdateButtons() const;

    CDialog& m_dialog;
    const CPhotoFolder* m_pPhotos = nullptr;
    CString m_strPhoto;
    CBitmap m_picture; // what the box shows, owned here: a static control does not free it
};
