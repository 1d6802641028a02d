// CObject: the common base of framework-managed objects. Its only service is the run-time class
// name, which lets tools and tests tell node kinds apart without RTTI on the program's types.
#pragma once

class CObject {
public:
    virtual ~CObject() = default;
    virtual const char* GetRuntimeClassName() const { return "CObject"; }
};
