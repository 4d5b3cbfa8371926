#pragma once

/**
 * Keeps large freed blocks (page images, packed documents) in the process for the next one
 * instead of returning them to the system and faulting fresh pages in each time: a report's
 * maps and workbooks allocate and free tens of megabytes a page at a time. Called first in main.
 */
void KeepFreedMemoryForReuse();
