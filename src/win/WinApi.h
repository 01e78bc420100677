// The Windows headers as the shell uses them: Winsock before windows.h, and without the
// MessageBox macro, which would rename the dialogs port's MessageBox in some files only.
#pragma once

#include <windows.h>
#include <winsock2.h>

#undef MessageBox
