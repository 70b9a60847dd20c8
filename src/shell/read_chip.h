#pragma once
// Filling the register shadow from the chip in bulk. Register 7Fh bit 0 selects
// which RAM bank the chip's addresses 80h-FFh reach and register 0Dh bit 0 is
// cleared while RAM is read; both are put back afterwards. Any failed transfer ends
// the read at once: the shadow keeps what was read so far, and 7Fh and 0Dh what they
// were last written with. The caller refreshes the windows. No widget here.

class TMx_UP;

// Read Chip: the registers (00h-2Bh, 3Dh, 3Eh, 7Fh), RAM bank 0 (80h-FFh) and, when
// "#RAMBANK1" is defined, bank 1 (180h-1FFh). The shadow of 7Fh ends holding the
// value first read, bank bit included. True when every transfer succeeded.
bool ReadChipIntoShadow(TMx_UP& up);

// Read REG Only: the same registers without RAM; 7Fh is left (chip and shadow) with
// its bank bit clear. True when every transfer succeeded.
bool ReadRegistersIntoShadow(TMx_UP& up);
