#!/usr/bin/python3
"""A pyvisa client (pyvisa-py backend) measuring a device on the operator program.

Usage: remote_pyvisa.py PORT OUTPUT.json. A line "console <command>" on standard output asks the
test to type <command> at the simulator's console; a line back on standard input says it is done.
"""
import json
import sys

import pyvisa


def console(command):
    print("console " + command, flush=True)
    sys.stdin.readline()


def main():
    port, output = sys.argv[1], sys.argv[2]
    vxm = pyvisa.ResourceManager("@py").open_resource(
        f"TCPIP::127.0.0.1::{port}::SOCKET", read_termination="\n", write_termination="\n", timeout=60000)

    def step(command, query=None):
        vxm.write(command)
        if query and vxm.query(query) != "1":
            sys.exit(f"{command}: {query} did not answer 1")
        error = vxm.query("SYST:ERR?")
        if not error.startswith("0,"):
            sys.exit(f"{command}: {error}")

    out = {}
    for command in ("MOD:PORT COM6", "MOD:CONN", "LAS:PORT COM7", "OUTP ON"):
        step(command)
    out["idn"] = vxm.query("*IDN?")
    out["laser_on"] = vxm.query("OUTP?")
    for command in ("SENS:WAV:STAR 1260;STOP 1340;:SENS:SWE:SPE 100", "LAS:SWE ON", "MEAS:MODE IL",
                    "SENS:AVER 1;POIN 2001"):
        step(command)
    console("dut out")
    step("MEAS:REF BACK")
    step("INIT", "*OPC?")
    console("dut in")
    step("MEAS:REF SPEC;:MEAS:BACK:REM ON;:CALC:PATH TRAN")
    step("INIT", "*OPC?")
    out["mode"] = vxm.query("MEAS:MODE?;REF?;BACK:REM?")
    out["channels"] = vxm.query("FETC:CHAN?")
    step("FORM REAL,32")
    out["trace_binary"] = vxm.query_binary_values("FETC:TRAC?", datatype="f", is_big_endian=False)
    vxm.close()
    with open(output, "w", encoding="utf-8") as f:
        json.dump(out, f)


if __name__ == "__main__":
    main()
