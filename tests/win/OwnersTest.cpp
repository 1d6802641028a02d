// The owners of handles and GDI objects: each frees its object once when it ends, and never one
// it handed over; a region given to a window is the window's; a selection is put back.
#include "framework/win/Gdi.h"
#include "framework/base/Handles.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

bool IsKernelHandleOpen(HANDLE hHandle) {
    DWORD dwFlags = 0;
    return ::GetHandleInformation(hHandle, &dwFlags) != FALSE;
}

bool IsGdiObjectAlive(HGDIOBJ hObject) { return ::GetObjectType(hObject) != 0; }

std::vector<UINT_PTR> g_closedSockets;
BOOL WINAPI RecordClose(UINT_PTR hSocket) {
    g_closedSockets.push_back(hSocket);
    return TRUE;
}

// Makes an object in a new owner, lets the owner end (or hand the object over first), and says
// whether the object is still there.
struct OwnerCase {
    const char* pszName;
    std::function<void*(bool bDetach)> run; // the raw handle afterwards
    std::function<bool(void*)> isAlive;
    std::function<void(void*)> release;     // for the handed-over object
};

template <typename TOwner, typename TMake>
std::function<void*(bool)> RunOwner(TMake make) {
    return [make](bool bDetach) -> void* {
        TOwner owner;
        make(owner);
        void* pHandle = owner.Get();
        if (bDetach) {
            owner.Detach();
        }
        return pHandle;
    };
}

template <typename TGdi, typename TMake>
std::function<void*(bool)> RunGdi(TMake make) {
    return [make](bool bDetach) -> void* {
        TGdi object;
        EXPECT_TRUE(make(object));
        void* pHandle = object.GetSafeHandle();
        if (bDetach) {
            object.Detach();
        }
        return pHandle;
    };
}

} // namespace

TEST(OwnersTest, EachOwnerFreesItsObjectOnceAndNeverOneItHandedOver) {
    auto gdiAlive = [](void* p) { return IsGdiObjectAlive(static_cast<HGDIOBJ>(p)); };
    auto gdiRelease = [](void* p) { ::DeleteObject(static_cast<HGDIOBJ>(p)); };
    const OwnerCase cases[] = {
        {"event", RunOwner<CKernelHandle>([](CKernelHandle& h) { h.Attach(::CreateEventA(nullptr, TRUE, FALSE, nullptr)); }),
         [](void* p) { return IsKernelHandleOpen(p); }, [](void* p) { ::CloseHandle(p); }},
        {"menu", RunOwner<CMenu>([](CMenu& m) { m.Attach(::CreatePopupMenu()); }),
         [](void* p) { return ::IsMenu(static_cast<HMENU>(p)) != FALSE; }, [](void* p) { ::DestroyMenu(static_cast<HMENU>(p)); }},
        {"brush", RunGdi<CBrush>([](CBrush& b) { return b.CreateSolidBrush(RGB(1, 2, 3)); }), gdiAlive, gdiRelease},
        {"pen", RunGdi<CPen>([](CPen& p) { return p.CreatePen(PS_SOLID, 1, RGB(1, 2, 3)); }), gdiAlive, gdiRelease},
        {"font", RunGdi<CFont>([](CFont& f) {
             return f.CreateFont(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
         }), gdiAlive, gdiRelease},
        {"bitmap", RunGdi<CBitmap>([](CBitmap& b) {
             CClientDC screen(nullptr);
             return b.CreateCompatibleBitmap(screen, 4, 4);
         }), gdiAlive, gdiRelease},
        {"region", RunGdi<CRgn>([](CRgn& r) { return r.CreateRectRgn(0, 0, 5, 5); }), gdiAlive, gdiRelease},
    };
    for (const OwnerCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        void* pFreed = c.run(false);
        ASSERT_NE(nullptr, pFreed);
        EXPECT_FALSE(c.isAlive(pFreed));
        void* pKept = c.run(true);
        ASSERT_NE(nullptr, pKept);
        EXPECT_TRUE(c.isAlive(pKept));
        c.release(pKept);
    }
}

TEST(OwnersTest, AttachReplacesAndMovesHandOver) {
    CKernelHandle first(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE hFirst = first;
    first.Attach(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(IsKernelHandleOpen(hFirst));
    HANDLE hSecond = first;
    CKernelHandle moved(std::move(first));
    EXPECT_EQ(nullptr, first.Get());
    EXPECT_EQ(hSecond, moved.Get());
    EXPECT_TRUE(IsKernelHandleOpen(hSecond));
}

// A socket's empty value is INVALID_SOCKET, and 0 is a socket like any other.
TEST(OwnersTest, AnOwnerWhoseEmptyValueIsNotZeroClosesZeroButNotTheEmptyValue) {
    using CSocketLike = CHandleOwner<UINT_PTR, &RecordClose, ~UINT_PTR(0)>;
    g_closedSockets.clear();
    {
        CSocketLike none;
        EXPECT_FALSE(none);
        CSocketLike zero(0);
        EXPECT_TRUE(zero);
        CSocketLike moved(std::move(zero));
    }
    EXPECT_EQ(std::vector<UINT_PTR>{0}, g_closedSockets);
}

TEST(OwnersTest, ARegionGivenToAWindowIsTheWindowsAndSelectionsArePutBack) {
    HWND hWnd = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    CRgn source;
    ASSERT_TRUE(source.CreateRectRgn(0, 0, 20, 20));
    CRgn copy;
    ASSERT_TRUE(copy.CopyRgn(source));
    ASSERT_TRUE(copy.SetWindowRgn(hWnd, FALSE));
    EXPECT_EQ(nullptr, copy.GetSafeHandle()); // the system's now: the owner must not delete it
    CRgn probe;
    ASSERT_TRUE(probe.CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(SIMPLEREGION, ::GetWindowRgn(hWnd, probe));
    ::DestroyWindow(hWnd);

    CMemoryDC dc(nullptr);
    ASSERT_NE(nullptr, dc.GetSafeHdc());
    HGDIOBJ hBefore = ::GetCurrentObject(dc, OBJ_BRUSH);
    CBrush brush;
    ASSERT_TRUE(brush.CreateSolidBrush(RGB(9, 9, 9)));
    {
        CSelectGuard select(dc, brush);
        EXPECT_TRUE(select.IsSelected());
        EXPECT_EQ(brush.GetSafeHandle(), ::GetCurrentObject(dc, OBJ_BRUSH));
    }
    EXPECT_EQ(hBefore, ::GetCurrentObject(dc, OBJ_BRUSH));
}
