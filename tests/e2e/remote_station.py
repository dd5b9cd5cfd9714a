#!/usr/bin/python3
"""A line controller (pyvisa with its pyvisa-py backend) running 20 devices through a recipe.

Usage: remote_station.py PORT OUTPUT.json STORE.sqlite

As remote_pyvisa.py, "console <command>" on standard output asks the test to type <command> in the
simulator's console; the script goes on once a line comes back. Every fifth device is the
simulator's cwdm4-bad-loss, the others cwdm4. Each device is measured with DEV:MEAS and waited for
with *OPC and *ESR?; its verdict, figures and record uid are read, then held against the records
store (SQLite, read with python's sqlite3) once the writer has put every record there.
"""
import json
import sqlite3
import sys
import time

import pyvisa

RECIPE = "CWDM4 demultiplexer, production test"
DEVICES = 20


def console(command):
    print("console " + command, flush=True)
    sys.stdin.readline()


def main():
    port, output, store = sys.argv[1], sys.argv[2], sys.argv[3]
    vxm = pyvisa.ResourceManager("@py").open_resource(
        f"TCPIP::127.0.0.1::{port}::SOCKET", read_termination="\n", write_termination="\n", timeout=60000)

    def step(command):
        vxm.write(command)
        error = vxm.query("SYST:ERR?")
        if not error.startswith("0,"):
            sys.exit(f"{command}: {error}")

    def wait_complete(what):
        """*OPC was sent: the operation complete bit of *ESR? comes when the measurement ends; any
        other bit is an error, read back and reported."""
        deadline = time.monotonic() + 60
        while True:
            events = int(vxm.query("*ESR?"))
            if events & ~1:
                sys.exit(f"{what}: events {events}, {vxm.query('SYST:ERR:ALL?')}")
            if events & 1:
                return
            if time.monotonic() > deadline:
                sys.exit(f"{what}: *OPC did not complete")
            time.sleep(0.05)

    out = {"recipes": None, "devices": []}
    for command in ("MOD:PORT COM6", "MOD:CONN", "LAS:PORT COM7", "OUTP ON"):
        step(command)
    out["recipes"] = vxm.query("REC:LIST?")
    # The span the sweep then locks, as the recipe has it; the recipe sets the other boxes once the
    # measurement is ticked.
    step("SENS:WAV:STAR 1260;STOP 1340;:SENS:SWE:SPE 100")
    step("LAS:SWE ON")
    step("MEAS:MODE IL")
    step(f'REC:LOAD "{RECIPE}"')
    out["recipe"] = vxm.query("REC?")

    console("dut out")
    step("*CLS;:MEAS:REF BACK;:INIT;*OPC")
    wait_complete("background")

    for n in range(1, DEVICES + 1):
        bad = n % 5 == 0
        console("dut device " + ("cwdm4-bad-loss" if bad else "cwdm4"))
        console("dut in")
        device_id = f"LINE-{n:03d}"
        vxm.write(f'*CLS;:DEV:ID "{device_id}";MEAS;*OPC')
        wait_complete(device_id)
        verdict = vxm.query("FETC:VERD?")
        fields = vxm.query("FETC:FIG?").split(",")
        figures = [fields[i:i + 6] for i in range(0, len(fields), 6)]
        out["devices"].append({
            "id": device_id,
            "bad": bad,
            "verdict": verdict.split(",")[0],
            "uid": vxm.query("FETC:REC?").strip('"'),
            "figures": len(figures),
            "failing": sorted({f"{f[0]} {f[1]}" for f in figures if f[5] == "FAIL"}),
        })
    out["questionable"] = vxm.query("STAT:QUES:COND?")
    vxm.close()

    # The writer stores on its own thread: wait until every device's record is there.
    uids = [d["uid"] for d in out["devices"]]
    stored = {}
    deadline = time.monotonic() + 30
    while len(stored) < len(uids) and time.monotonic() < deadline:
        try:
            with sqlite3.connect(f"file:{store}?mode=ro", uri=True) as db:
                marks = ",".join("?" * len(uids))
                stored = {uid: (verdict, device_id) for uid, verdict, device_id in db.execute(
                    f"SELECT uid, verdict, device_id FROM records WHERE uid IN ({marks})", uids)}
        except sqlite3.Error:
            pass
        time.sleep(0.2)
    out["stored"] = len(stored)
    out["store_mismatches"] = [d["id"] for d in out["devices"]
                               if stored.get(d["uid"]) != (d["verdict"], d["id"])]

    with open(output, "w", encoding="utf-8") as f:
        json.dump(out, f)


if __name__ == "__main__":
    main()
