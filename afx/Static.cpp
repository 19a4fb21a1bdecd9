#include "afx/Static.h"

const CRuntimeClass CStatic::classCStatic{"CStatic", 0xFFFF, nullptr, &CWnd::classCWnd};
