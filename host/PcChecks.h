#pragma once
// Whether this PC can take the printer at all, asked before an install run changes
// anything: a PC that cannot keeps the printers it has. The checks only read. A check
// whose call the running Windows lacks finds nothing, and one whose call fails finds
// nothing either (the failure is reported for a log): a doubt never keeps a PC from the
// printer.

#include <cstdint>
#include <vector>

#include "sys/System.h"

namespace host {

// The checks, in the order they run and their findings are told.
enum class PcCheck {
    Spooler,         // the print spooler does not run
    ProtectedPrint,  // protected print mode admits the system's own drivers only
    Processor,       // an ARM64 processor: the package carries no driver for it
    Administrator,   // the program runs without administrator rights
};

// A check that could not tell, with the error of the call that failed.
struct PcCheckFailure {
    PcCheck check;
    uint32_t error;
};

struct PcCheckReport {
    std::vector<PcCheck> findings;         // what keeps this PC from the printer, in order
    std::vector<PcCheckFailure> failures;  // checks that could not tell, in order
};

// Runs every check, in the order above.
PcCheckReport CheckPc(sys::System& system);

// Whether the print spooler is down, by its service's dwCurrentState: the service stopped
// (or stopping) and the spooler answering no call. The state alone does not decide: Wine
// keeps its spooler service stopped and answers spooler calls itself; Windows with the
// service stopped answers none.
bool IsSpoolerDown(sys::System& system, uint32_t serviceState);

}  // namespace host
