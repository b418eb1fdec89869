// Tests, fuzz harnesses and seed tools only: the link's and the port
// search's state, writable, to
// set up a case the link would reach by a longer way. The program itself asks
// the link (link/link.h); scripts/check-includes keeps it out of the program.
#ifndef ZUVELS_LINK_LINK_TESTING_H
#define ZUVELS_LINK_LINK_TESTING_H

#include "link/link.h"
#include "link/port_search.h"

LinkVariables& linkForTests();
PortSearchState& portSearchForTests();

#endif
