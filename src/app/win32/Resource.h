#pragma once
// Identifiers of the program's resources, shared by Tembric.rc and the code.

#define IDI_TEMBRIC 1
