// A device library that exports only four of the module's functions: the program must name the
// others at start-up and turn every module operation into a reported failure.

#include "module/ketrolan_lib.h"

#include <cstring>

extern "C" {

int32_t Ketrolan_Initialize_Lib(int32_t) { return 1; }

int32_t Ketrolan_Get_Lib_Version(uint8_t* version)
{
    if (version) std::memcpy(version, "PARTIAL1", 9);
    return 1;
}

int32_t Ketrolan_Stop_All(void) { return 1; }
}
