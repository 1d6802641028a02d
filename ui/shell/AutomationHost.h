// The narrow link between the automation object and the main window. While a client holds the
// automation object, the main window only hides on its exit path; each side clears the other's
// pointer when it ends first, so neither ever reaches the other after its end.
#pragma once

// The automation object's side.
class CAutomationClient {
public:
    // The main window is going away.
    virtual void OnHostGone() = 0;

protected:
    ~CAutomationClient() = default;
};

// The main window's side.
class CAutomationHost {
public:
    // A client's object now holds the program (null: it let go).
    virtual void AttachAutomationClient(CAutomationClient* pClient) = 0;

protected:
    ~CAutomationHost() = default;
};
