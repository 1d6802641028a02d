// CPhotoFolder: the contacts' photos, each a file in a folder beside the book ("tbk photos" for
// "tbk.xml"), which a photo value names. A file is named by its bytes, so that it never changes
// once written: a photo is written before any book names it, a contact that takes another photo
// names another file, and a book saved by another writer meanwhile never finds its photo
// rewritten under it. Loading the book reads no photo, so that a book of many photos loads as
// fast as one without.
//
// A file goes when no contact names it any more: after a save, of the files a book version this
// folder saw (read or written) named, those neither the list nor its undo steps name now are
// removed. A file no version it saw named may be another writer's photo whose book is not saved
// yet, and stays. Safe to use from two threads (an import stores while a save clears up).
#pragma once

#include "ContactArray.h"
#include "framework/core/FileException.h"

#include <mutex>
#include <string>
#include <unordered_set>

// The folder of the book at strBookPath: its name without the extension, and " photos".
CString PhotoFolderOf(const CString& strBookPath);
// The name the bytes' file takes: a hash of them and the extension their format has (".jpg",
// ".png", ".gif", ".bmp", ".webp", ".heic", ".tif", or ".img" for a format not told).
CString PhotoFileName(const std::string& strBytes);
// Whether the name is one that PhotoFileName gives (or its second choice): a name read from a
// file must not reach outside the folder.
bool IsPhotoFileName(const CString& strName);
// The media type of a photo file's format, from its name: "image/jpeg", ..., or empty.
const char* PhotoMediaType(const CString& strName);

// A photo that has no file yet is its bytes in the value, as a data URI
// ("data:image/jpeg;base64,..."): what an import or a card brings, until the book stores it.
CString InlinePhoto(const std::string& strBytes);
bool IsInlinePhoto(const CString& strText);
// The bytes of an inline photo; false for any other text.
bool InlinePhotoBytes(const CString& strText, std::string& strBytes);
// The name of the file a photo value's picture has or would have: two values of one picture
// give one name, whether the picture is in a file or inline.
CString PhotoNameOf(const CString& strText);

class CPhotoFolder;

// The contact's photo: the first photo value's text, or empty.
CString PhotoOf(const std::vector<CContactValue>& values);
// The values with the photo given in place of the first photo (empty: without it), the others
// as they were, where they were.
void SetPhoto(std::vector<CContactValue>& values, const CString& strPhoto);
// The contact with each photo inline, its bytes read from pPhotos (a photo whose file cannot be
// read stays as it is): a contact that travels on its own, as a card does.
CContact WithInlinePhotos(const CContact& contact, const CPhotoFolder* pPhotos);
// Whether two values hold the same: a photo by its picture, whether in its file or inline.
bool IsSameValue(const CContactValue& a, const CContactValue& b);

class CPhotoFolder {
public:
    explicit CPhotoFolder(const CString& strBookPath) : m_strFolder(PhotoFolderOf(strBookPath)) {}

    const CString& GetPath() const { return m_strFolder; }
    // The path of the named photo's file, or empty for a name no photo has.
    CString PathOf(const CString& strName) const;

    // Writes the bytes into the folder unless their file is there already, and gives its name;
    // false with the cause. The folder is made when it is missing.
    [[nodiscard]] bool Store(const std::string& strBytes, CString& strName, CFileException* pError);
    // The bytes of the named photo, or of an inline one; false with the cause.
    [[nodiscard]] bool Read(const CString& strName, std::string& strBytes, CFileException* pError) const;
    // Gives each inline photo of the contact its file, and the value its name. A photo that
    // cannot be written stays inline (false, with the cause), so that it is not lost.
    bool StoreInline(CContact& contact, CFileException* pError);

    // The photos a version of the book names that this folder saw, read or written.
    void NoteNamed(const CContactArray& contacts);
    // Whether any version seen named a photo that is not yet removed.
    bool HasSeenPhotos() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return !m_seen.empty();
    }
    // Removes the files a seen version named that no contact in contacts names, nor any name in
    // alsoNamed; returns how many went. A file that cannot be removed now stays for a later save.
    int RemoveUnnamed(const CContactArray& contacts, const std::unordered_set<std::string>& alsoNamed);

private:
    CString m_strFolder;
    mutable std::mutex m_mutex;
    std::unordered_set<std::string> m_seen; // names that a seen version named
};

// Adds the photo names the contact's values hold to names.
void AddPhotoNames(const CContact& contact, std::unordered_set<std::string>& names);
