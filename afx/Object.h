// The root of the class tree and its run-time class records.
//
// A class that wants its own record declares a static CRuntimeClass and overrides
// GetRuntimeClass, for instance:
//
//     class LCDMS : public CDialog {
//     public:
//         static const CRuntimeClass classLCDMS;
//         const CRuntimeClass* GetRuntimeClass() const override { return &classLCDMS; }
//     };
//     const CRuntimeClass LCDMS::classLCDMS{"LCDMS", 0xFFFF, nullptr, &CDialog::classCDialog};
//
// A class without its own record reports the record of the nearest base that has one.
#pragma once

#include <windows.h>

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    UINT m_wSchema;                     // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();    // null: cannot be created by name
    const CRuntimeClass* m_pBaseClass;  // null only for CObject

    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    static const CRuntimeClass classCObject;

    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
