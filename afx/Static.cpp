#include "afx/Static.h"

const CRuntimeClass CStatic::classCStatic{"CStatic", sizeof(CStatic), 0xFFFF, nullptr, &CWnd::classCWnd};
