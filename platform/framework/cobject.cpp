#include "platform/framework/cobject.h"

CRuntimeClass* CObject::GetRuntimeClass() const {
    static CRuntimeClass s_class{"CObject", static_cast<int>(sizeof(CObject))};
    return &s_class;
}

void CObject::Serialize(CArchive& /*ar*/) {}

void CObject::AssertValid() const {}

void CObject::Dump(CDumpContext& /*dc*/) const {}
