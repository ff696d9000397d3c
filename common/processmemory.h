#pragma once

// Keeps large blocks of memory in the process once they are freed, for the next one
// to use. An export passes its text through a few whole copies of tens of megabytes;
// with the C library's defaults each copy is a fresh mapping whose pages the kernel
// has to supply and clear again, which costs more than the passes themselves. The
// memory a job used stays with the process until it ends, up to a bound. Called once
// at the start of a program; does nothing where the C library has no such settings.
void KeepLargeBlocksForReuse();
