#include "platform/HeapPolicy.h"

namespace HeapPolicy {

// The system's heap already takes blocks of half a megabyte and more straight from virtual memory and
// releases them when they are freed.
void returnLargeBlocks() {}

} // namespace HeapPolicy
