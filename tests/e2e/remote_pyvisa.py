#!/usr/bin/python3
"""A pyvisa client (pyvisa-py backend) running a device measurement on the operator program.

Usage: remote_pyvisa.py PORT OUTPUT.json

The simulator's console belongs to the test that runs this script: a line "console <command>" on
standard output asks it to type <command> there, and the script goes on once a line comes back on
standard input. What the client read is written to OUTPUT.json for the test to compare with the
window.
"""
import json
import sys
import time

import pyvisa


def console(command):
    print("console " + command, flush=True)
    sys.stdin.readline()


def main():
    port, output = sys.argv[1], sys.argv[2]
    rm = pyvisa.ResourceManager("@py")
    vxm = rm.open_resource(f"TCPIP::127.0.0.1::{port}::SOCKET", read_termination="\n",
                           write_termination="\n", timeout=60000)

    def step(command):
        vxm.write(command)
        error = vxm.query("SYST:ERR?")
        if not error.startswith("0,"):
            sys.exit(f"{command}: {error}")

    def measure_polling():
        """INITiate, then *OPC and the status byte polled as line software waits: the operation
        complete event, enabled by *ESE 1, sets the event summary bit 5."""
        step("*CLS;:INIT;*OPC")
        out["operation_while_measuring"] = vxm.query("STAT:OPER:COND?")
        deadline = time.monotonic() + 60
        while not int(vxm.query("*STB?")) & 32:
            if time.monotonic() > deadline:
                sys.exit("*OPC did not complete")
            time.sleep(0.1)
        out["status_when_complete"] = vxm.query("*STB?")
        out["events_when_complete"] = vxm.query("*ESR?")
        error = vxm.query("SYST:ERR?")
        if not error.startswith("0,"):
            sys.exit(f"measurement: {error}")

    out = {}
    for command in ("MOD:PORT COM6", "MOD:CONN", "LAS:PORT COM7", "OUTP ON"):
        step(command)
    out["idn"] = vxm.query("*IDN?")
    out["laser_on"] = vxm.query("OUTP?")
    step("SENS:WAV:STAR 1260;STOP 1340;:SENS:SWE:SPE 100")
    step("LAS:SWE ON")
    step("MEAS:MODE IL")
    step("SENS:AVER 1;POIN 2001")
    step("*ESE 1;*SRE 32")
    out["enables"] = vxm.query("*ESE?;*SRE?")

    console("dut out")
    step("MEAS:REF BACK")
    measure_polling()
    console("dut in")
    step("MEAS:REF SPEC;:MEAS:BACK:REM ON;:CALC:PATH TRAN")

    # A command the window refuses while the measurement runs, answered before *OPC?.
    vxm.write("INIT;:LAS:SWE OFF")
    out["while_measuring"] = vxm.query("SYST:ERR?")
    if vxm.query("*OPC?") != "1":
        sys.exit("*OPC? did not answer 1")
    out["after_measuring"] = vxm.query("SYST:ERR?")

    out["mode"] = vxm.query("MEAS:MODE?;REF?;BACK:REM?")
    out["channels"] = vxm.query("FETC:CHAN?")
    out["trace_ascii"] = vxm.query("FETC:TRAC?")
    step("FORM REAL,32")
    out["trace_binary"] = vxm.query_binary_values("FETC:TRAC?", datatype="f", is_big_endian=False)

    vxm.write("SENS:BOGUS 1")
    out["undefined"] = vxm.query("SYST:ERR?")
    vxm.write("SENS:WAV:STAR 1300")
    out["refused"] = vxm.query("SYST:ERR?")
    vxm.write("SENS:WAV:STAR 99999999999")
    out["out_of_range"] = vxm.query("SYST:ERR?")
    out["start_after_refusal"] = vxm.query("SENS:WAV:STAR?")
    vxm.close()

    with open(output, "w", encoding="utf-8") as f:
        json.dump(out, f)


if __name__ == "__main__":
    main()
