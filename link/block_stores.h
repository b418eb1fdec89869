// The block stores and their validity, writable: link/ fills them from the
// replies; tests and fuzz harnesses set up a case with them. Everyone else
// reads the const views of link/blocks.h; scripts/check-includes keeps this
// header out of the program outside link/.
#ifndef ZUVELS_LINK_BLOCK_STORES_H
#define ZUVELS_LINK_BLOCK_STORES_H

#include "link/blocks.h"

struct BlockStores {
    StatusBlock Status;
    LiveBlock Live;
    ConfigABlock ConfigA;
    ConfigBBlock ConfigB;
    ExtendedBlock Extended;
    WriteReplyBlock WriteReply;
    bool StatusValid;
    bool LiveValid;
    bool ConfigAValid;
    bool ConfigBValid;
    bool ExtendedValid;
};
BlockStores& blockStores();
// The stores as a set to resolve fields against.
BlockSet storeBlocks();

#endif
