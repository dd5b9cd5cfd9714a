#pragma once
// The commands that act on a client's status alone: the IEEE 488.2 common commands *CLS, *ESE,
// *ESR?, *SRE, *STB?, *OPC, *OPC?, *WAI; SYSTem:ERRor, SYSTem:VERSion? and the STATus subsystem.
// Of the bench they need two things only, which the program (or a test) supplies.

#include "remote/scpi_table.h"
#include "remote/status_model.h"

#include <functional>

namespace scpi {

struct StatusSource {
    // The bench's conditions now; any change since the last call already latched in every client.
    std::function<Conditions()> conditions;
    // The measurement INITiate started has not ended: *OPC?, *WAI wait and *OPC is held for it.
    std::function<bool()> pending;
};

// The SCPI version the command set follows (SYSTem:VERSion?).
inline constexpr const char* kScpiVersion = "1999.0";

void addStatusCommands(CommandTable& table, const StatusSource& source);

}  // namespace scpi
