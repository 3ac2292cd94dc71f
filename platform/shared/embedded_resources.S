/* The game's pictures and sounds, built into the program as they were
   generated; the assembler finds them on its include path. */
#define EMBED(name, file)            \
    .section .rodata;                \
    .balign 16;                      \
    .globl name##_begin;             \
    .globl name##_end;               \
name##_begin:                        \
    .incbin file;                    \
name##_end:                          \
    .byte 0

EMBED(morvask_res_background, "background.bmp")
EMBED(morvask_res_tanks, "tanks.bmp")
EMBED(morvask_res_bullets, "bullets.bmp")
EMBED(morvask_res_cells, "cells.bmp")
EMBED(morvask_res_effects, "effects.bmp")
EMBED(morvask_res_marks, "marks.bmp")
EMBED(morvask_res_wave111, "wave111.wav")
EMBED(morvask_res_wave118, "wave118.wav")
EMBED(morvask_res_wave119, "wave119.wav")
EMBED(morvask_res_wave120, "wave120.wav")
EMBED(morvask_res_wave121, "wave121.wav")
EMBED(morvask_res_wave122, "wave122.wav")
EMBED(morvask_res_icon256, "icon-256.png")

#if defined(__linux__) && defined(__ELF__)
.section .note.GNU-stack,"",%progbits
#endif
