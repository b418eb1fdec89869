// The layout of the port_names target's input, shared with the seed writer:
//   byte 0     bit 0: the list can't be opened
//   bytes 1-2  how many values the list holds (big-endian, modulo 1024)
//   then names, each a length byte and its bytes: the length's low 7 bits
//   are the bytes (a name of the cap or longer fills the data to the cap,
//   unterminated, as a registry value may); bit 7: no terminator written
//   after a shorter one either. Values past the names given repeat them;
//   with none given every value is empty.
//   then, after the names, numbers for the sort alone: 4 bytes each
//   (big-endian), introduced by a 0xFF length byte.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_PORT_NAMES_H
#define ZUVELS_TESTS_FUZZ_HARNESS_PORT_NAMES_H

enum : unsigned {
    PortListUnreadable = 0x01,
    PortValueCountModulo = 1024,
    PortNameLengthMask = 0x7F,
    PortNameUnterminated = 0x80,
    PortNumbersFollow = 0xFF,
};

#endif
