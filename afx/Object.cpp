#include "afx/Object.h"

const CRuntimeClass CObject::classCObject{"CObject", 0xFFFF, nullptr, nullptr};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* cls = this; cls != nullptr; cls = cls->m_pBaseClass) {
        if (cls == base)
            return true;
    }
    return false;
}
