#!/usr/bin/env python3
"""Writes the seed corpora from real frames of both instruments. Run from anywhere; the files
land in corpus/<target>/. Regression inputs found by fuzzing are added beside them by hand."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(command, words):
    body = command.encode() + struct.pack(">H", len(words)) + b"".join(struct.pack(">H", w & 0xFFFF) for w in words)
    return b"\xAA" + body + struct.pack(">H", sum(body) & 0xFFFF)


def words32(value):
    value &= 0xFFFFFFFF
    return [value >> 16, value & 0xFFFF]


def text(s, width):
    return s.encode().ljust(width, b"\0")


def identity_reply(pn, sn, date, fr, hr, state, lo, hi):
    data = text(pn, 20) + text(sn, 20) + text(date, 10) + text(fr, 8) + text(hr, 12) + b"\0\0"
    words = [0] + [struct.unpack(">H", data[i:i + 2])[0] for i in range(0, len(data), 2)]
    return frame("SNFV", words + [state] + words32(lo) + words32(hi))


LASER_ID = identity_reply("TLS-OB-2611-S", "TL26110047", "05/17/2025", "2.1.07", "TLS-HW-A03", 1, 1260000, 1340000)
MODULE_ID = identity_reply("VXMOB-2CH-S01", "VX26110815", "03/02/2025", "3.0.12", "VXM-HW-B02", 0, 1260000, 1340000)
REPLIES = {
    "snfv_laser": LASER_ID,
    "snfv_module": MODULE_ID,
    "snfv_off_cband": identity_reply("TLS-CB-1000", "TL1", "12/31/2019", "1.0", "HW", 0, 1527500, 1567500),
    "lson_done": frame("LSON", [0]),
    "lsof_done": frame("LSOF", [0]),
    "gowl_out_of_range": frame("GOWL", [2]),
    "swst_done": frame("SWST", [0]),
    "rdsw_mode": frame("RDSW", [0, 1]),
    "unknown_command": frame("XXXX", [1]),
    "checksum_error": frame("SWSP", [9]),
    "unknown_code": frame("LSON", [0x1234]),
    "bad_checksum": frame("LSON", [0])[:-1] + b"\x00",
}

REQUESTS = {
    "lson": frame("LSON", []),
    "lsof": frame("LSOF", []),
    "snfv": frame("SNFV", [0]),
    "rdsw": frame("RDSW", []),
    "gowl_1550": frame("GOWL", words32(1550000)),
    "gowl_1300": frame("GOWL", words32(1300000)),
    "swst": frame("SWST", [1] + words32(1270000) + words32(1330000) + [0, 0, 0, 10, 100, 0]),
    "swsp": frame("SWSP", []),
    "info": frame("INFO", []),
    "rdpw": frame("RDPW", [1]),
    "scan": frame("SCAN", words32(1260) + words32(1340) + words32(10) + words32(1) + words32(2001) + [1, 0]),
    "algn": frame("ALGN", words32(1290) + words32(1310) + words32(10) + [2, 0]),
    "done": frame("DONE", []),
    "data": frame("DATA", words32(0) + [100, 1]),
    "stop": frame("STOP", []),
}


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def whole(reply):
    """A script of one block arriving at once (delay 0, rest of input)."""
    return b"\x00\xFF" + reply


for name, reply in REPLIES.items():
    # Receiver: flags byte, then the script.
    write("fuzz_tls_reply", name, b"\x01" + whole(reply))
    write("fuzz_tls_reply", name + "_short_timeout", b"\x00" + whole(reply))
# Split replies: the first 7 bytes, then the rest 30 ms later; and a reply that never completes.
write("fuzz_tls_reply", "snfv_split", b"\x01" + b"\x00\x07" + LASER_ID[:7] + b"\x03\xFF" + LASER_ID[7:])
write("fuzz_tls_reply", "snfv_truncated", b"\x01" + b"\x00\xFF" + LASER_ID[:40])
write("fuzz_tls_reply", "snfv_chinese_wrap", b"\x07" + whole(LASER_ID))
write("fuzz_tls_reply", "error_then_extra", b"\x01" + whole(frame("GOWL", [2]) + b"\x55\x66"))

for name in ("snfv_laser", "snfv_module", "snfv_off_cband", "lson_done", "bad_checksum"):
    write("fuzz_identity", name, b"\x00" + whole(REPLIES[name]))
    write("fuzz_identity", name + "_chinese", b"\x01" + whole(REPLIES[name]))

record = (text("VXMOB-2CH-S01", 20) + text("VX26110815", 20) + text("03/02/2025", 10) + text("3.0.12", 8)
          + text("VXM-HW-B02", 12) + struct.pack(">H", 253)).ljust(151, b"\0")
write("fuzz_module_record", "record", record)
write("fuzz_module_record", "record_with_texts", record + b"COM12")
write("fuzz_module_record", "record_hot", record[:70] + b"\xFF\xFF" + record[72:] + b"1. Channel #1")
write("fuzz_module_record", "record_short", record[:40])

for name, request in REQUESTS.items():
    write("fuzz_sim_frames", name, b"\x00" + request)
write("fuzz_sim_frames", "scan_session", b"\x00" + REQUESTS["scan"] + REQUESTS["done"] + REQUESTS["data"] + REQUESTS["stop"])
write("fuzz_sim_frames", "laser_session_faults", b"\x3E" + b"junk" + REQUESTS["lson"] + REQUESTS["gowl_1550"]
      + REQUESTS["swst"] + REQUESTS["swsp"])
write("fuzz_sim_frames", "bad_checksum", b"\x00" + REQUESTS["lson"][:-1] + b"\x00")

def block(payload):
    """An IEEE 488.2 definite-length block."""
    length = str(len(payload)).encode()
    return b"#" + str(len(length)).encode() + length + payload


# Remote lines: flags byte (bit 0 a nearly full line before, bits 1-3 the piece size), then text.
SCPI = {
    "identity": b"*IDN?\n",
    "settings_chain": b"SENS:WAV:STAR 1530.5;STOP 1560;:SENS:AVER 4;*OPC?\r\n",
    "long_forms": b"SENSE:WAVELENGTH:START?;:MEASURE:MODE TLS;:OUTPUT:STATE ON\n",
    "measure_wait": b"INIT;*OPC?;INIT;INIT;*OPC?\nFETC:TRAC?\n",
    "errors": b"NOPE?;SENS:AVER 0;MEAS:MODE XYZ;OUTP maybe\nSYST:ERR?;SYST:ERR:NEXT?;*CLS\n",
    "quoted": b"LAS:PORT \"COM;3\",'it''s'\nLAS:PORT \"open\n",
    "garbage": b"\x00\xff*\x01:;;,\"\n\r\n::A?? 1,,\n",
    "status_enables": b"*ESE 61;*SRE 48;*ESE?;*SRE?;*STB?;*ESR?\nSTAT:OPER:ENAB 24;:STAT:QUES:ENAB 1536;*SRE 136\n"
                      b"LAS:SWE ON;:CALC:MASK ON;*STB?;:STAT:OPER?;:STAT:QUES:EVEN?;COND?;:LAS:SWE OFF\n",
    "opc_polling": b"*CLS;:STAT:OPER:ENAB 16;:INIT;*OPC;*ESR?;*STB?\nSTAT:OPER:COND?\n*OPC?;*ESR?\n*WAI;*OPC;*ESR?\n",
    "error_classes": b"NOPE;SENS:AVER 0;*ESE 256;SYST:ERR:COUN?;*ESR?\nSYST:ERR:ALL?;:SYST:ERR:ALL?;:SYST:VERS?\n"
                     b"*CLS;*RST;STAT:PRES;:STAT:OPER:ENAB?;:STAT:QUES:ENAB?\n",
    "queue_overflow": b"NOPE;" * 40 + b"*ESR?;SYST:ERR:COUN?\nSYST:ERR:ALL?\n",
    "station": b'REC:LIST?;:REC:LOAD "CWDM4 demultiplexer, production test";:REC?\n'
               b'DEV:ID "SN-001";MEAS;*OPC?;:FETC:VERD?;FIG?;REC?\nDEV:PORT?;PORT:NEXT;*WAI;:DEV:ABOR;ID?\n',
    "blocks": b"LIM:LOAD " + block(b'{"all": {"ripple": {"max": 0.5}},\n "channels": 4}\r') + b";:SYST:ERR?\n"
              b"DEV:ID " + block(b"SN\n01") + b",#0rest;of\tline\nLIM #3ab\nLIM #9123\nLIM x#15\n",
}
for name, line in SCPI.items():
    write("fuzz_scpi", name, b"\x00" + line)
write("fuzz_scpi", "settings_in_pairs", b"\x02" + SCPI["settings_chain"])
write("fuzz_scpi", "blocks_in_pieces", b"\x04" + SCPI["blocks"])
write("fuzz_scpi", "overlong", b"\x01" + b"A" * 20 + b"\n*IDN?\n")
write("fuzz_scpi", "at_the_limit", b"\x01" + b"B" * 16 + b"\r\n*IDN?")
