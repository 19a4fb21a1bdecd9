// The program entry point of applications built on the layer (target afx_entry; the
// program is linked with -municode).
#include "afx/WinApp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
    return AfxWinMain(hInstance);
}
