// A small automation client: creates "TovanoAddressBook.Application" as a local server, checks
// that the object knows no names, and holds it until the test lets it go.
//
//   automation_client CREATED_EVENT RELEASE_EVENT
//
// Sets CREATED_EVENT once it holds the object and releases it when RELEASE_EVENT is set (or
// after a minute). Exit codes: 0 held and released, 2 the object could not be created, 3 the
// object answered a name or had type information, 4 the events could not be opened.
#include <windows.h>

#include <oaidl.h>
#include <ole2.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 4;
    }
    HANDLE hCreated = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE hRelease = ::OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!hCreated || !hRelease) {
        return 4;
    }
    ::CoInitialize(nullptr);
    int nResult = 2;
    CLSID clsid;
    IDispatch* pDispatch = nullptr;
    if (SUCCEEDED(::CLSIDFromProgID(L"TovanoAddressBook.Application", &clsid)) &&
        SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                     reinterpret_cast<void**>(&pDispatch)))) {
        wchar_t szName[] = L"Anything";
        LPOLESTR names[] = {szName};
        DISPID id = 0;
        UINT nTypeInfos = 1;
        bool bEmpty = pDispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id) == DISP_E_UNKNOWNNAME &&
                      SUCCEEDED(pDispatch->GetTypeInfoCount(&nTypeInfos)) && nTypeInfos == 0;
        ::SetEvent(hCreated);
        ::WaitForSingleObject(hRelease, 60000);
        pDispatch->Release();
        nResult = bEmpty ? 0 : 3;
    }
    ::CoUninitialize();
    return nResult;
}
