// The one-time check of the global allocation operators.
#pragma once

// On its first call in the process, checks that ::operator new(0) gives unique non-null
// pointers and warns on the debugger output if it does not. Later calls do nothing.
void CheckAllocatorConformance();
