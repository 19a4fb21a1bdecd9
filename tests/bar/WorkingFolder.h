// A fresh scratch folder that is the current directory while the object lives, for code that
// works with paths relative to the current directory.
#pragma once

#include <windows.h>

#include <string>

#include "TestSupport.h"

class WorkingFolder {
public:
    WorkingFolder() {
        WCHAR current[MAX_PATH];
        saved_.assign(current, GetCurrentDirectoryW(MAX_PATH, current));
        SetCurrentDirectoryW(folder_.Path().c_str());
    }
    ~WorkingFolder() { SetCurrentDirectoryW(saved_.c_str()); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    std::wstring File(const std::wstring& name) const { return folder_.File(name); }

private:
    testsupport::TempFolder folder_;
    std::wstring saved_;
};
