#pragma once

/**
 * Large blocks (page images, packed documents: from 256 KB) are mapped for themselves and go
 * back to the system as soon as they are freed, and the threads share two heaps: the maps and
 * documents of a report otherwise leave tens of megabytes freed but held in the heaps of the
 * threads that drew them. Called first in main; true when the C library took the settings.
 */
bool ReturnLargeBlocksWhenFreed();
