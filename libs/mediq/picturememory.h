// How the process's allocator treats the large pictures the program makes and drops all the time.
#pragma once

// Pictures of several megabytes (a grab's bitmap, its copy for the encoder, a frame for the
// screen) are made and dropped for every grab and every frame shown. The C library would map
// each afresh and unmap it when dropped, paying a page fault per 4 KiB on the next one: a third of
// a grab's time. Kept in the heap instead, their memory is reused. Called once, first thing in main.
void KeepPictureMemory();
