#!/usr/bin/env python3
"""Python's own RFC 2217 client (Debian's python3-serial) against lpgctl serve.

    serve_python.py URL read-only|writes [NAME]

NAME (default serve-python) leads the name of every check.

Prints one PASS or FAIL line per check; exit 0 when every check passed.
"""
import sys

import serial

LEAD = 0x65
BLOCKS = {1: 4, 2: 11, 3: 14, 4: 16, 5: 21}  # block number: reply length


def frame(a, b):
    return bytes([LEAD, a, b, (LEAD + a + b) & 0xFF])


def sound(reply, n):
    return len(reply) == n and reply[0] == LEAD and sum(reply[:-1]) & 0xFF == reply[-1]


NAME = sys.argv[3] if len(sys.argv) > 3 else "serve-python"


class Checks:
    def __init__(self):
        self.failed = 0

    def check(self, name, ok, detail=""):
        print(("PASS" if ok else "FAIL") + " " + NAME + "." + name + ("" if ok else " " + detail))
        self.failed += 0 if ok else 1


def main():
    url, mode = sys.argv[1], sys.argv[2]
    checks = Checks()
    # Opening negotiates the options and waits for the answer to every
    # setting: a server that doesn't answer fails here.
    port = serial.serial_for_url(url, baudrate=9600, bytesize=8, parity="N", stopbits=1,
                                 timeout=0.6)

    def exchange(request, n):
        port.reset_input_buffer()
        port.write(request)
        return port.read(n)

    for block, n in BLOCKS.items():
        reply = exchange(frame(block, block), n)
        checks.check("read-block-%d" % block, sound(reply, n), reply.hex(" "))
    # Options (wire address 6 on generation 3): a value of 0xFF, one whose
    # reply's checksum is 0xFF, one whose request's checksum is 0xFF.
    for value in (0xFF, 0x9A, 0x94):
        reply = exchange(frame(6, value), 3)
        if mode == "writes":
            want = bytes([LEAD, value, (LEAD + value) & 0xFF])
            checks.check("write-0x%02X" % value, reply == want, reply.hex(" "))
        else:
            checks.check("write-0x%02X-unanswered" % value, reply == b"", reply.hex(" "))
    if mode == "writes":
        reply = exchange(frame(3, 3), BLOCKS[3])
        checks.check("read-back-0x94", sound(reply, BLOCKS[3]) and 0x94 in reply, reply.hex(" "))
    port.close()
    return 1 if checks.failed else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (serial.SerialException, OSError, ValueError) as e:
        # pyserial's own complaint: a setting unanswered, a lost connection.
        print("FAIL %s.%s: %s" % (NAME, sys.argv[2], e))
        sys.exit(1)
