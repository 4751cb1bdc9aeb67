#pragma once

// How the window's heap gives memory back. A sort of a million notes frees tens of megabytes of keys; the
// window keeps its resident size near what its notes need only if such blocks go back to the system as
// soon as they are freed, not when the allocator's own measure says so.
namespace HeapPolicy {
// Called once, before the first window opens.
void returnLargeBlocks();
} // namespace HeapPolicy
